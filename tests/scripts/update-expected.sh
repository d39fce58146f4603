#!/usr/bin/env bash
# Writes NAME.out for each script named (default: every NAME.tly here, every
# NAME.args, and examples/NAME.out for each example) from
# what the built tallyra does now, in the form that RunScript.cmake compares.
# Read the diff before committing: an expected transcript states what is right.
#   tests/scripts/update-expected.sh [build/dev/bin/tallyra] [NAME.tly ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tallyra=$(realpath "${1:-$here/../../build/dev/bin/tallyra}")
shift || true
cd "$here"
scripts=("$@")
[ ${#scripts[@]} -gt 0 ] || scripts=(*.tly *.args)

# record OUT DIR INPUT ARGS...: runs tallyra ARGS in DIR (standard input from
# INPUT, or none when it is empty) and writes the transcript to OUT.
record() {
  local out=$1 dir=$2 input=$3 status
  shift 3
  set +e
  if [ -n "$input" ]; then
    (cd "$dir" && "$tallyra" "$@" < "$input") > "$out.stdout" 2> "$out.stderr"
  else
    (cd "$dir" && "$tallyra" "$@") > "$out.stdout" 2> "$out.stderr"
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
  stem=${script%.*}
  if [[ $script == *.args ]]; then
    # NAME.args: the command line of a test, in place of run NAME.tly.
    read -r -a args < "$script"
    record "$here/$stem.out" "$here" "" "${args[@]}"
  elif [ -e "$stem.args" ]; then
    continue
  elif [[ $stem == stdin-* ]]; then
    record "$here/$stem.out" "$here" "$script" run -
  else
    record "$here/$stem.out" "$here" "" run "$script"
  fi
done
"$tallyra" describe > describe.out
for example in "$here"/../../examples/*.tly; do
  record "$here/examples/$(basename "${example%.tly}").out" "$(dirname "$example")" "" \
    run "$(basename "$example")"
done
