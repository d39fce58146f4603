#!/usr/bin/env bash
# Checks the naming of the project's own sources with clang-tidy (.clang-tidy
# holds the rules) over the compile commands of a Linux build. Exits non-zero
# on any violation. The Win32 stand-in (platform/) keeps the API's names and
# is not checked; build/ (muParser's source among it) is not the project's.
#   scripts/lint.sh [build dir, build/release]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/release}" && pwd)
[ -f "$build/compile_commands.json" ] || { echo "lint.sh: no compile_commands.json in $build" >&2; exit 2; }
dirs='abi|editor|extension|formula|lists|runtime|simhost|tallyra|fuzz|bench|tests'
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "^$here/($dirs)/" >"$build/lint.log" 2>&1 || true
if grep -E '(warning|error): ' "$build/lint.log" | grep -q .; then
  grep -E -A2 '(warning|error): ' "$build/lint.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u >&2
  echo "lint.sh: naming violations (rules in .clang-tidy)" >&2
  exit 1
fi
echo "lint.sh: naming clean ($(grep -c '"file"' "$build/compile_commands.json") translation units)"
