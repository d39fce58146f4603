#!/usr/bin/env bash
# Runs the examples of every help topic through tallyra: the lines under
# "Examples:" in `tallyra help TOPIC`, indented by four blanks, as one script
# a topic. Each must run with exit status 0 and nothing on standard error.
#   tests/docs/check-help-examples.sh TALLYRA_BINARY
set -uo pipefail
tallyra=$1
topics=$("$tallyra" help topics | awk '/^  [a-z]/ { print $1 }')
if [ -z "$topics" ]; then
  echo "help topics lists no topics"
  exit 1
fi
failed=0
examples=0
for topic in $topics; do
  script=$("$tallyra" help "$topic" |
    awk '/^Examples:$/ { on = 1; next } on && /^    / { print substr($0, 5); next } { on = 0 }')
  [ -n "$script" ] || continue
  examples=$((examples + 1))
  stderr=$(printf '%s\n' "$script" | "$tallyra" run - 2>&1 > /dev/null)
  status=$?
  if [ $status -ne 0 ] || [ -n "$stderr" ]; then
    echo "help $topic: its examples exit with $status:"
    printf '%s\n' "$stderr"
    failed=1
  fi
done
if [ $examples -eq 0 ]; then
  echo "no help topic has examples"
  exit 1
fi
exit $failed
