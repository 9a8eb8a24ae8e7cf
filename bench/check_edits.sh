#!/usr/bin/env bash
# Cross-checks the engine against an independent shortest edit script:
# on small generated pairs of every kind, rowdump's count of edit operations
# must equal diff --minimal's (see edit_counts.sh). Run by ctest.
#
#   bench/check_edits.sh GEN_PAIRS ROWDUMP WORKDIR
set -euo pipefail

gen=$1
rowdump=$2
work=$3
. "$(dirname "$0")/edit_counts.sh"
mkdir -p "$work"

cases=(
  "code-1%|--lines 3000 --change 1 --seed 7"
  "code-10%|--lines 3000 --change 10 --seed 8"
  "code-30%|--lines 2000 --change 30 --seed 9"
  "long-lines|--long-lines --lines 200 --change 5 --seed 10"
  "crlf|--crlf --lines 2000 --change 5 --seed 11"
  "right-no-final-lf|--right-no-final-lf --lines 2000 --change 5 --seed 12"
  "unrelated|--unrelated --lines 800 --seed 13"
)

failures=0
for entry in "${cases[@]}"; do
  name=${entry%%|*}
  # shellcheck disable=SC2086  # the arguments are words by design
  "$gen" ${entry#*|} "$work/$name.left" "$work/$name.right"
  want=$(expected_edits "$work/$name.left" "$work/$name.right")
  got=$(rowdump_edits "$rowdump" "$work/$name.left" "$work/$name.right") || got="no count"
  if [ "$got" = "$want" ]; then
    echo "ok   $name: $got edits"
  else
    echo "FAIL $name: rowdump $got edits, diff --minimal $want"
    failures=$((failures + 1))
  fi
done
[ "$failures" = 0 ]
