#!/usr/bin/env bash
# Runs every ```tly block of a Markdown file through tallyra and compares its
# standard output with the ```output block right after it, when there is one.
#   tests/docs/check-examples.sh MARKDOWN_FILE TALLYRA_BINARY
# A block passes when `tallyra run -` exits with 0 and, when an output block
# follows, prints exactly that block. A failure names the block's line and
# shows what differs; the exit status is 1 when any block fails.
set -uo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 MARKDOWN_FILE TALLYRA_BINARY" >&2
  exit 2
fi
markdown=$1
tallyra=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Splits the file into work/N.tly (N: the line of the opening fence) and
# work/N.expected for an output block that follows it (only blank lines
# between them).
awk -v dir="$work" '
  function close_block() { close(file); inside = "" }
  inside == "" && /^```tly[[:space:]]*$/ {
    inside = "tly"; start = NR; file = dir "/" NR ".tly"; printf "" > file; last = NR; next
  }
  inside == "" && /^```output[[:space:]]*$/ && pending != "" {
    inside = "output"; file = dir "/" pending ".expected"; printf "" > file; next
  }
  inside != "" && /^```[[:space:]]*$/ {
    if (inside == "tly") pending = start; else pending = ""
    close_block(); next
  }
  inside != "" { print > file; next }
  /^[[:space:]]*$/ { next }
  { pending = "" }
' "$markdown"

failed=0
count=0
for block in $(ls "$work" | grep '\.tly$' | sort -n); do
  line=${block%.tly}
  count=$((count + 1))
  "$tallyra" run - < "$work/$block" > "$work/$line.stdout" 2> "$work/$line.stderr"
  status=$?
  if [ $status -ne 0 ]; then
    echo "$markdown:$line: the example exits with $status:"
    cat "$work/$line.stderr"
    failed=1
    continue
  fi
  if [ -e "$work/$line.expected" ] && ! cmp -s "$work/$line.expected" "$work/$line.stdout"; then
    echo "$markdown:$line: the example prints other output than the block after it:"
    diff -u --label expected --label actual "$work/$line.expected" "$work/$line.stdout"
    failed=1
  fi
done
if [ $count -eq 0 ]; then
  echo "$markdown: no tly blocks"
  exit 1
fi
exit $failed
