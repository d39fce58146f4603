#!/usr/bin/env bash
# Writes NAME.out for each script named (default: every NAME.tly here, and
# examples/NAME.out for each example) from
# what the built tallyra does now, in the form that RunScript.cmake compares.
# Read the diff before committing: an expected transcript states what is right.
#   tests/scripts/update-expected.sh [build/dev/bin/tallyra] [NAME.tly ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tallyra=$(realpath "${1:-$here/../../build/dev/bin/tallyra}")
shift || true
cd "$here"
scripts=("$@")
[ ${#scripts[@]} -gt 0 ] || scripts=(*.tly)
for script in "${scripts[@]}"; do
  stem=${script%.tly}
  set +e
  if [[ $stem == stdin-* ]]; then
    "$tallyra" run - < "$script" > "$stem.stdout" 2> "$stem.stderr"
  else
    "$tallyra" run "$script" > "$stem.stdout" 2> "$stem.stderr"
  fi
  status=$?
  set -e
  {
    cat "$stem.stdout"
    if [ -s "$stem.stderr" ] || [ $status -ne 0 ]; then
      echo "--- stderr"
      cat "$stem.stderr"
      echo "--- exit $status"
    fi
  } > "$stem.out"
  rm -f "$stem.stdout" "$stem.stderr"
done
"$tallyra" describe > describe.out
# The examples' transcripts (they run cleanly, so they are standard output alone).
for example in "$here"/../../examples/*.tly; do
  (cd "$(dirname "$example")" && "$tallyra" run "$(basename "$example")") \
    > "$here/examples/$(basename "${example%.tly}").out"
done
