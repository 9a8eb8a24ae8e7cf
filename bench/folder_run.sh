#!/usr/bin/env bash
# Times folderdump (default criteria, --quick, --full) against diff -rq and
# diff -r on real and generated trees, warm cache, best of three runs, with
# the peak memory of the runs:
#   python: two standard libraries of neighbouring versions with their test
#     suites, from Debian's packages (the 3.9 library that pypy3 ships,
#     against CPython 3.11); needs apt-get download, skipped without it;
#   tree: 30,000 files of about 1 KB in 300 folders, 1 % changed in place;
#   big: 300,000 files in 3,000 folders, 1 % changed;
#   flat: one folder of 100,000 small files, 1 % changed.
# Usage: bench/folder_run.sh FOLDERDUMP [WORK]   (WORK default /tmp/qm-folder-bench)
# KEEP=1 times the trees of an earlier run again without making them anew.
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

python_pair() {  # python_pair DIR: DIR/a (the 3.9 library) and DIR/b (3.11)
  local debs=$work/debs
  mkdir -p "$debs/root" "$1"
  (cd "$debs" && apt-get download pypy3-lib pypy3-lib-testsuite libpython3.11-stdlib \
     libpython3.11-testsuite >/dev/null 2>&1) || return 1
  for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$debs/root"; done
  cp -a "$debs/root/usr/lib/pypy3.9" "$1/a"
  cp -a "$debs/root/usr/lib/python3.11" "$1/b"
}

best_of_three() {  # best_of_three COMMAND...: seconds of the fastest run, peak MB
  local best=999999 memory=0 line
  for _ in 1 2 3; do
    /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>&1 || true
    line=$(tail -1 "$work/time.txt")
    best=$(echo "$line $best" | awk '{ print ($1 < $3 ? $1 : $3) }')
    memory=$(echo "$line $memory" | awk '{ print ($2 > $3 ? $2 : $3) }')
  done
  printf '%7.2f s %7.1f MB' "$best" "$(echo "$memory" | awk '{ print $1 / 1024 }')"
}

bench() {  # bench NAME
  local a=$work/$1/a b=$work/$1/b
  if [ ! -d "$a" ]; then echo "$1: skipped (no trees)"; return; fi
  echo "$1: $(find "$a" -type f | wc -l) and $(find "$b" -type f | wc -l) files," \
    "$(diff -rq "$a" "$b" | wc -l || true) differing"
  for run in "folderdump|$folderdump $a $b" "folderdump --quick|$folderdump --quick $a $b" \
             "folderdump --full|$folderdump --full $a $b" "diff -rq|diff -rq $a $b" \
             "diff -r|diff -r $a $b"; do
    # shellcheck disable=SC2086
    printf '  %-20s %s\n' "${run%%|*}" "$(best_of_three ${run#*|})"
  done
}

command -v /usr/bin/time >/dev/null || apt-get install -y time >/dev/null
if [ "${KEEP:-}" = 1 ] && [ -d "$work/flat/b" ]; then
  for name in python tree big flat; do bench "$name"; done
  exit 0
fi
rm -rf "$work" && mkdir -p "$work"
python_pair "$work/python" || echo "python: the packages could not be fetched"
make_tree "$work/tree/a" 300 100
cp -a "$work/tree/a" "$work/tree/b"
change_one_percent "$work/tree/b"
make_tree "$work/big/a" 3000 100
cp -a "$work/big/a" "$work/big/b"
change_one_percent "$work/big/b"
make_tree "$work/flat/a" 1 100000
cp -a "$work/flat/a" "$work/flat/b"
change_one_percent "$work/flat/b"
for name in python tree big flat; do bench "$name"; done
