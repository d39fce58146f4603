# Cross build for 32-bit Windows, the module that the host loads.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=windows/toolchain-i686-mingw.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TALLYRA_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
# SSE2 arithmetic, as in the 64-bit builds; 32-bit Windows keeps the stack
# aligned to 4 bytes only, so functions realign it where SSE needs more.
set(TALLYRA_I686_STACK ON)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/I686Arithmetic.cmake)
