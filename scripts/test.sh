#!/usr/bin/env bash
# Installs what the project needs, builds every form of it and runs every test:
# the Linux build, the 32-bit Linux build (natively or under qemu-i386), the
# sanitizer build, the Windows module under Wine, and the bounded fuzz runs.
# Exits non-zero on the first failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)

bash scripts/setup.sh --windows --linux32

echo "== Linux build and tests"
bash scripts/build.sh
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Naming (clang-tidy)"
bash scripts/lint.sh build/release

echo "== 32-bit Linux build and tests"
bash linux32/run-tests.sh

echo "== Sanitizer build (address, undefined behaviour) and tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLYRA_WERROR=ON \
  -DTALLYRA_SANITIZE=ON
cmake --build build/sanitize
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Fuzzing (clang, libFuzzer): each target for a minute"
muparser=$(ls -d build/deps/muparser-*/ 2>/dev/null | head -n 1 || true)
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTALLYRA_WERROR=ON -DTALLYRA_TESTS=OFF -DTALLYRA_FUZZ=ON \
  ${muparser:+"-DTALLYRA_MUPARSER_SOURCE=${muparser%/}"}
cmake --build build/fuzz --target fuzzers
bash fuzz/run.sh build/fuzz 60

echo "== Windows cross build and tests under Wine"
bash windows/run-tests.sh
