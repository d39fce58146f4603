# What the cross builds with MinGW-w64 share (Debian's compilers, posix
# thread model, installed by scripts/setup.sh --windows). The toolchain file
# of each processor sets CMAKE_SYSTEM_PROCESSOR and TALLYRA_MINGW (the
# compilers' prefix), then includes this one. The C and C++ run-time
# libraries and winpthread are linked statically, so the module and the test
# programs need nothing but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TALLYRA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLYRA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLYRA_MINGW}-windres)
set(CMAKE_AR ${TALLYRA_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TALLYRA_MINGW}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TALLYRA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(tallyra_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${tallyra_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${tallyra_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${tallyra_static_runtime}")
