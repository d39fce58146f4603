#!/usr/bin/env bash
# Tests the examples' checker against two small Markdown files: one whose
# examples all pass, and one with a wrong output, a script that stops with an
# error, an output block that belongs to no example and a block that is never
# closed, each of which must be reported with its line.
#   tests/docs/check-examples-test.sh TALLYRA_BINARY
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checker="$here/check-examples.sh"
tallyra=$1
status=0

expect() {  # expect DESCRIPTION COMMAND_OUTPUT PATTERN
  if ! grep -qF -- "$3" <<< "$2"; then
    echo "FAIL: $1: no \"$3\" in:"
    echo "$2"
    status=1
  fi
}

out=$(bash "$checker" "$here/fixtures/good.md" "$tallyra" 2>&1)
code=$?
[ $code -eq 0 ] || { echo "FAIL: good.md exits with $code:"; echo "$out"; status=1; }
expect "good.md" "$out" "6 examples, 0 failed"

out=$(bash "$checker" "$here/fixtures/bad.md" "$tallyra" 2>&1)
code=$?
[ $code -eq 1 ] || { echo "FAIL: bad.md exits with $code, not 1"; status=1; }
expect "wrong output" "$out" "bad.md:3: the example prints something else than its output block"
expect "wrong output's diff" "$out" "    -3"
expect "wrong output's diff" "$out" "    +2"
expect "script error" "$out" "bad.md:19: the example exits with status 2"
expect "script error's message" "$out" 'expected "to set"'
expect "orphan output" "$out" "bad.md:30: an output block that follows no tly block"
expect "unclosed block" "$out" "bad.md:34: a fenced block that is never closed"
expect "count" "$out" "4 examples, 2 failed"

out=$(bash "$checker" "$here/fixtures/nothing.md" "$tallyra" 2>&1)
code=$?
[ $code -eq 2 ] || { echo "FAIL: a missing file exits with $code, not 2"; status=1; }

[ $status -eq 0 ] && echo "the checker reports what it should"
exit $status
