#!/usr/bin/env bash
# Configures and builds one cross tree (Release, warnings as errors) with
# muParser built from its source package (build/deps/muparser-*, fetched by
# scripts/setup.sh --windows or --linux32):
#   scripts/cross-build.sh DIR TOOLCHAIN_FILE EMULATOR
# EMULATOR runs the tree's programs (CMAKE_CROSSCOMPILING_EMULATOR; empty when
# they run natively). TALLYRA_JOBS sets the parallel jobs (default: the number
# of cores).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 3 ]; then
  echo "usage: $0 DIR TOOLCHAIN_FILE EMULATOR" >&2
  exit 2
fi
muparser=$(ls -d "$here"/build/deps/muparser-*/ 2>/dev/null | head -n 1 || true)
if [ -z "$muparser" ]; then
  echo "cross-build.sh: muParser's source is missing; run scripts/setup.sh --windows or --linux32" >&2
  exit 1
fi
cmake -S "$here" -B "$1" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$2" \
  -DCMAKE_BUILD_TYPE=Release -DTALLYRA_WERROR=ON \
  -DTALLYRA_MUPARSER_SOURCE="${muparser%/}" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$3"
cmake --build "$1" -j "${TALLYRA_JOBS:-$(nproc)}"
