#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, one after another, starting from
# its seed corpus (fuzz/corpus/<target>); what a run adds to the corpus is in
# <build>/fuzz-work until the next run. Fails, showing the report and the input
# that did it, when a target crashes, leaks, breaks a check, takes more than a
# second over one input (every call into the object is bounded), or asks for
# more memory than a 32-bit host could give.
#   fuzz/run.sh <build dir> [seconds per target, 60] [targets...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build dir}" && pwd)
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(formula_lists_fuzz operations_fuzz script_reader_fuzz)

failed=0
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  rm -rf "$work"
  mkdir -p "$work"
  log="$build/fuzz-work/$target.log"
  echo "-- $target: ${seconds}s"
  if (cd "$build/fuzz-work" && "$build/fuzz/$target" -max_total_time="$seconds" -timeout=1 \
        -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-work/$target-" "$work" "$here/corpus/$target") \
      >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$log" || true
  else
    failed=1
    echo "$target FAILED; its report ($log) ends:"
    tail -n 60 "$log"
  fi
done
exit $failed
