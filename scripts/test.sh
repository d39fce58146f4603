#!/usr/bin/env bash
# Installs what the project needs, builds every form of it and runs every test:
# the Linux build, the sanitizer build, the Windows module under Wine, and the
# bounded fuzz runs. Exits non-zero on the first failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=$(nproc)

bash scripts/setup.sh --windows

echo "== Linux build and tests"
bash scripts/build.sh
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Sanitizer build (address, undefined behaviour) and tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLYRA_WERROR=ON \
  -DTALLYRA_SANITIZE=ON
cmake --build build/sanitize
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Windows cross build and tests under Wine"
bash windows/run-tests.sh
