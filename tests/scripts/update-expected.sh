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
# Writes the transcript of tallyra run on $2 (in its folder), fed on standard
# input when $1 is stdin, to $3.
transcript() {
  local mode=$1 script=$2 out=$3 status
  local dir stem
  dir=$(dirname "$script")
  stem=$(basename "$script")
  set +e
  if [ "$mode" = stdin ]; then
    (cd "$dir" && "$tallyra" run - < "$stem") > "$out.stdout" 2> "$out.stderr"
  else
    (cd "$dir" && "$tallyra" run "$stem") > "$out.stdout" 2> "$out.stderr"
  fi
  status=$?
  set -e
  {
    cat "$out.stdout"
    if [ -s "$out.stderr" ] || [ $status -ne 0 ]; then
      echo "--- stderr"
      cat "$out.stderr"
      echo "--- exit $status"
    fi
  } > "$out"
  rm -f "$out.stdout" "$out.stderr"
}

for script in "${scripts[@]}"; do
  stem=${script%.tly}
  mode=file
  [[ $stem == stdin-* ]] && mode=stdin
  transcript "$mode" "$here/$script" "$here/$stem.out"
done
"$tallyra" describe > describe.out
for example in "$here"/../../examples/*.tly; do
  transcript file "$example" "$here/examples/$(basename "${example%.tly}").out"
done
