#!/usr/bin/env bash
# Runs the tallyra examples of a Markdown file and compares what they print
# with the output shown beside them:
#   tests/docs/check-examples.sh MARKDOWN_FILE TALLYRA_BINARY
#
# An example is a fenced code block whose info string is `tly`. It runs as
# `TALLYRA_BINARY run -`, with the block on standard input, in an empty folder
# of its own (shared by the file's examples), and must exit with
# status 0. When the next fenced block after it has the info string `output`,
# the example's standard output must equal that block's text exactly (blank
# lines and the last line feed included). Its standard error must be empty,
# unless a block with the info string `stderr` follows (after the output
# block, if there is one): it must then equal that block's text. Text between
# the blocks is free.
#
# Fences are lines of three or more backticks (or tildes), indented by at most
# three blanks, as in CommonMark; a block inside a list item loses the fence's
# indentation. A block closes at a fence of the same character at least as
# long. Other fenced blocks are skipped.
#
# Every example is run; each failure is reported with the file and the line of
# its opening fence and a diff (expected, then actual). Exits 0 when all pass,
# 1 when any fails or the file has no example or a malformed block, 2 on a
# wrong call.
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 MARKDOWN_FILE TALLYRA_BINARY" >&2
  exit 2
fi
markdown=$1
tallyra=$2
if [ ! -r "$markdown" ]; then
  echo "$0: cannot read $markdown" >&2
  exit 2
fi
if [ ! -x "$tallyra" ]; then
  echo "$0: $tallyra is not an executable" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The examples run in a folder of their own, so that the files they write
# (save) land there and go with it.
mkdir "$work/files"
tallyra=$(realpath "$tallyra")

# Writes each example to $work/N.tly and, when it has one, its output to
# $work/N.out, and one line "N LINE" per example to $work/examples, in order.
# Malformed blocks are reported on standard error, with the exit status 1.
awk -v work="$work" -v file="$markdown" '
function fail(line, text) {
  printf "%s:%d: %s\n", file, line, text > "/dev/stderr"
  bad = 1
}
# The file that a block following example N is written to, emptied; "" (and
# a complaint naming the block) when it follows no example.
function attach(n, suffix, block,    file) {
  if (n == 0) {
    fail(NR, block " that follows no tly block")
    return ""
  }
  file = work "/" n suffix
  printf "" > file
  return file
}
# The fence that opens or closes a block at this line: sets fence_char,
# fence_len, fence_indent and fence_info; false when the line is no fence.
function read_fence(line,    m, rest) {
  if (!match(line, /^ ? ? ?(```+|~~~+)/)) return 0
  m = substr(line, 1, RLENGTH)
  rest = substr(line, RLENGTH + 1)
  fence_indent = match(m, /[^ ]/) - 1
  fence_char = substr(m, fence_indent + 1, 1)
  fence_len = length(m) - fence_indent
  sub(/^[ \t]+/, "", rest)
  sub(/[ \t].*$/, "", rest)
  fence_info = rest
  return 1
}
BEGIN { inside = 0; examples = 0; pending = 0; pending_err = 0; bad = 0 }
{
  if (!inside) {
    if (!read_fence($0)) next
    if (fence_char == "`" && index(fence_info, "`") > 0) next  # an inline code span
    inside = 1
    open_line = NR
    open_char = fence_char
    open_len = fence_len
    open_indent = fence_indent
    info = fence_info
    if (info == "tly") {
      examples++
      target = work "/" examples ".tly"
      printf "" > target
      print examples, NR > (work "/examples")
      pending = examples
      pending_err = examples
    } else if (info == "output") {
      target = attach(pending, ".out", "an output block")
      pending = 0
    } else if (info == "stderr") {
      target = attach(pending_err, ".err", "a stderr block")
      pending = 0
      pending_err = 0
    } else {
      target = ""
      pending = 0
      pending_err = 0
    }
    next
  }
  if (read_fence($0) && fence_char == open_char && fence_len >= open_len && fence_info == "") {
    if (target != "") close(target)
    inside = 0
    next
  }
  line = $0
  # Take off as much of the fence'"'"'s indentation as the line has.
  for (i = 0; i < open_indent && substr(line, 1, 1) == " "; i++) line = substr(line, 2)
  if (target != "") print line > target
}
END {
  if (inside) fail(open_line, "a fenced block that is never closed")
  if (examples == 0) fail(1, "no tly example in the file")
  exit bad
}' "$markdown"
malformed=$?

failed=0
total=0
if [ -f "$work/examples" ]; then
  while read -r n line; do
    total=$((total + 1))
    (cd "$work/files" && "$tallyra" run - < "$work/$n.tly" > "$work/$n.actual" 2> "$work/$n.stderr")
    status=$?
    if [ $status -ne 0 ]; then
      failed=$((failed + 1))
      echo "$markdown:$line: the example exits with status $status"
      sed 's/^/    /' "$work/$n.stderr"
      continue
    fi
    if [ -f "$work/$n.out" ] && ! cmp -s "$work/$n.out" "$work/$n.actual"; then
      failed=$((failed + 1))
      echo "$markdown:$line: the example prints something else than its output block"
      diff -u --label expected --label actual "$work/$n.out" "$work/$n.actual" | sed 's/^/    /'
    elif [ -f "$work/$n.err" ]; then
      if ! cmp -s "$work/$n.err" "$work/$n.stderr"; then
        failed=$((failed + 1))
        echo "$markdown:$line: the example writes something else on standard error than its stderr block"
        diff -u --label expected --label actual "$work/$n.err" "$work/$n.stderr" | sed 's/^/    /'
      fi
    elif [ -s "$work/$n.stderr" ]; then
      failed=$((failed + 1))
      echo "$markdown:$line: the example writes on standard error"
      sed 's/^/    /' "$work/$n.stderr"
    fi
  done < "$work/examples"
fi

echo "$markdown: $total examples, $failed failed"
if [ $failed -ne 0 ] || [ $malformed -ne 0 ]; then exit 1; fi
exit 0
