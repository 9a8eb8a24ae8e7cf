#!/usr/bin/env bash
# Times folderdump (default criteria, --quick, --full) against diff -rq and
# diff -r on generated trees, warm cache, best of three runs:
#   tree: 30,000 files of about 1 KB in 300 folders, 1 % changed in place;
#   flat: one folder of 100,000 small files, 1 % changed.
# Usage: bench/folder_run.sh FOLDERDUMP [WORK]   (WORK default /tmp/qm-folder-bench)
set -euo pipefail
folderdump=$1
work=${2:-/tmp/qm-folder-bench}
export LC_ALL=C

make_tree() {  # make_tree DIR FOLDERS FILES_PER_FOLDER
  awk -v root="$1" -v folders="$2" -v files="$3" 'BEGIN {
    srand(7)
    line = "the quick brown fox jumps over the lazy dog 0123456789 abcdefghij\n"
    for (d = 0; d < folders; d++) {
      dir = folders > 1 ? root "/g" int(d / 10) "/d" d : root
      system("mkdir -p " dir)
      for (f = 0; f < files; f++) {
        path = dir "/file" f ".txt"
        n = 1 + int(rand() * 30)
        text = ""
        for (i = 0; i < n; i++) text = text line
        printf "%s", text > path
        close(path)
      }
    }
  }'
}

change_one_percent() {  # change_one_percent DIR: one file in a hundred, same size
  find "$1" -type f | sort | awk 'NR % 100 == 0' | while IFS= read -r f; do
    sed -i '1s/quick/QUICK/' "$f"
  done
}

best_of_three() {  # best_of_three COMMAND...: seconds of the fastest run
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-999999}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
  done
  printf '%.3f' "$best"
}

bench() {  # bench NAME
  local a=$work/$1/a b=$work/$1/b
  echo "$1: $(find "$a" -type f | wc -l) files, $(diff -rq "$a" "$b" | wc -l) differing"
  for run in "folderdump|$folderdump $a $b" "folderdump --quick|$folderdump --quick $a $b" \
             "folderdump --full|$folderdump --full $a $b" "diff -rq|diff -rq $a $b" \
             "diff -r|diff -r $a $b"; do
    # shellcheck disable=SC2086
    printf '  %-20s %s s\n' "${run%%|*}" "$(best_of_three ${run#*|})"
  done
}

rm -rf "$work" && mkdir -p "$work"
make_tree "$work/tree/a" 300 100
cp -a "$work/tree/a" "$work/tree/b"
change_one_percent "$work/tree/b"
make_tree "$work/flat/a" 1 100000
cp -a "$work/flat/a" "$work/flat/b"
change_one_percent "$work/flat/b"
bench tree
bench flat
