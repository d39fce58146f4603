#!/usr/bin/env bash
# Configures and builds the Linux tree in build/ (Release, warnings as errors).
#   scripts/build.sh [extra cmake arguments]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLYRA_WERROR=ON "$@"
cmake --build "$here/build/release"
