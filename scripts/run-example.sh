#!/usr/bin/env bash
# README's first command: installs what the project needs, builds it, and runs
# tallyra, the command-line host, on an example script.
#   scripts/run-example.sh [examples/NAME.tly]      (default: examples/primes.tly)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
example=${1:-examples/primes.tly}

bash scripts/setup.sh
bash scripts/build.sh

echo "== tallyra run $example"
cat "$example"
echo "== output"
build/release/bin/tallyra run "$example"
