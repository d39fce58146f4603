# Cross build for 32-bit Windows, the module that the host loads.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=windows/toolchain-i686-mingw.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TALLYRA_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
