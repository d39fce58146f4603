# Build for 32-bit x86 Linux with the host's GCC in its -m32 mode (Debian's
# g++-multilib, installed by scripts/setup.sh --linux32): the module, the
# simulated host, tallyra and the tests, run natively where the kernel runs
# 32-bit programs and under qemu-i386 where it does not (linux32/run-tests.sh
# sets CMAKE_CROSSCOMPILING_EMULATOR). muParser and GoogleTest are built from
# their source packages with the same flags. Only i386 libraries are found, so
# tallyra's session reads plain lines (no 32-bit libedit).
#   cmake -S . -B build/linux32 -DCMAKE_TOOLCHAIN_FILE=linux32/toolchain-i686-linux.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-m32")
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/I686Arithmetic.cmake)
