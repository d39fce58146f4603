# Cross build for 64-bit Windows: the same code as the module, built so that
# its tests can run under 64-bit Wine where the machine cannot run 32-bit
# programs (windows/run-tests.sh). The host loads only the 32-bit module.
#   cmake -S . -B build/windows64 -DCMAKE_TOOLCHAIN_FILE=windows/toolchain-x86_64-mingw.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TALLYRA_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
