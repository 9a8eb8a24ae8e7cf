# Sourced by run.sh and check_edits.sh: the edit-operation counts of both
# sides of the cross-check.
#
# rowdump and `diff --minimal` both produce shortest edit scripts, so their
# counts of deleted plus inserted lines agree, with one exception: the
# engine counts the text after the last LF as a line of its own (empty when
# the file ends with LF), so when exactly one file ends with LF that empty
# line costs one more operation.

# The "edits" field of rowdump --summary output on stdin; fails without one.
edits_of_summary() {
  sed -n 's/.* edits \([0-9][0-9]*\).*/\1/p' | grep .
}

# The count rowdump must report for LEFT and RIGHT, given the output of
# `diff --minimal LEFT RIGHT` on stdin: its '<' and '>' lines, plus one when
# exactly one of the files ends with LF.
edits_of_diff() {
  local left=$1 right=$2 n
  n=$(grep -c '^[<>]') || true
  if [ "$(ends_with_lf "$left")" != "$(ends_with_lf "$right")" ]; then
    n=$((n + 1))
  fi
  echo "$n"
}

rowdump_edits() {
  local rowdump=$1 left=$2 right=$3 out
  out=$("$rowdump" --summary "$left" "$right") || return 1
  edits_of_summary <<<"$out"
}

expected_edits() {
  local left=$1 right=$2 n
  n=$(diff --minimal -- "$left" "$right" | edits_of_diff "$left" "$right")
  [ "${PIPESTATUS[0]}" -le 1 ] || return 1
  echo "$n"
}

# 1 when the file's last byte is LF. An empty file has no lines at all for
# the engine, so it counts as not ending with LF.
ends_with_lf() {
  if [ -s "$1" ] && [ "$(tail -c 1 -- "$1" | od -An -tx1 | tr -d ' ')" = 0a ]; then
    echo 1
  else
    echo 0
  fi
}
