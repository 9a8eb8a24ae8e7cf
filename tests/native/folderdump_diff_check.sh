#!/bin/sh
# folderdump --quick must list exactly the differing and one-sided items
# that diff -rq reports, on generated trees: files changed in place (same
# size) or grown, files and whole folders on one side only, a file facing a
# folder of the same name, names that differ only in case. Every file gets
# the same time, so only contents tell the pairs apart.
# Usage: folderdump_diff_check.sh FOLDERDUMP WORK
folderdump=$1 work=$2
export LC_ALL=C
rm -rf "$work" && mkdir -p "$work" || exit 1
cd "$work" || exit 1

awk -v seed=20261208 '
function put(path, text) { printf "%s", text > path; close(path) }
BEGIN {
  srand(seed)
  for (d = 0; d < 12; d++) {
    dir = "d" d; if (d % 3 == 2) dir = "d" (d - 1) "/sub" d
    system("mkdir -p a/" dir " b/" dir)
    for (f = 0; f < 25; f++) {
      name = dir "/f" f ".txt"; text = "line " d " " f "\n" sprintf("%08d", int(rand() * 1e8)) "\n"
      put("a/" name, text)
      r = int(rand() * 20)
      if (r == 0) continue                                   # only old
      else if (r == 1) put("b/" name, text "more\n")         # grown
      else if (r == 2) { t = text; sub(/line/, "LINE", t); put("b/" name, t) }  # same size
      else if (r == 3) { system("mkdir -p b/" name); put("b/" name "/inner", "x") }  # file vs folder
      else if (r == 4) { put("b/" dir "/F" f ".TXT", text) }  # other case: one-sided both ways
      else put("b/" name, text)
    }
    if (d % 4 == 1) { system("mkdir -p b/" dir "/newdir/deep"); put("b/" dir "/newdir/deep/x", "x") }
    if (d % 5 == 2) { system("mkdir -p a/" dir "/olddir"); put("a/" dir "/olddir/y", "y") }
  }
  put("a/top.txt", "top\n"); put("b/top.txt", "top\n"); put("b/newtop", "n\n")
}' || exit 1
find a b -exec touch -h -d @1000000000 {} + || exit 1

# diff -rq: "Files a/P and b/P differ", "Only in a/D: N", and "File a/P is
# a K while file b/P is a K" for a file facing a folder.
diff -rq a b | while IFS= read -r line; do
  case $line in
    "Files a/"*" differ")
      p=${line#Files a/}; p=${p%% and b/*}; echo "changed $p" ;;
    "Only in "*)
      rest=${line#Only in }; dir=${rest%%: *}; name=${rest#*: }
      side=${dir%%/*}; rel=${dir#"$side"}; rel=${rel#/}
      p=${rel:+$rel/}$name
      [ -d "$side/$p" ] && p="$p/"
      [ "$side" = a ] && echo "old $p" || echo "new $p" ;;
    "File a/"*" while file b/"*)
      p=${line#File a/}; p=${p%% is a *}
      if [ -d "a/$p" ]; then echo "old $p/"; else echo "old $p"; fi
      if [ -d "b/$p" ]; then echo "new $p/"; else echo "new $p"; fi ;;
    *) echo "unexpected: $line" ;;
  esac
done | sort >expected || exit 1

"$folderdump" --quick --match-case-names a b >dump || { echo "folderdump failed" >&2; exit 1; }
# Changed entries must all be contents (dates are equal; a size change
# comes with one); folders and the Same list do not take part.
grep -v '^same \|^old [0-9]* new ' dump | tr '\\' '/' |
  sed -e 's/^\(changed .*\) (\(.*\))$/\1|\2/' | while IFS='|' read -r entry words; do
    case $entry in
      changed*) case $words in *contents*) echo "$entry" ;; *) echo "bad words: $entry ($words)" ;; esac ;;
      *) echo "$entry" ;;
    esac
  done | sort >actual || exit 1

for kind in changed old new; do
  grep -q "^$kind " expected || { echo "generated trees give no $kind entry" >&2; exit 1; }
done
if ! cmp -s expected actual; then
  echo "folderdump --quick and diff -rq disagree (< diff, > folderdump):" >&2
  diff expected actual >&2
  exit 1
fi
# The totals line counts what was listed.
sed '$d' dump >listed
count() { grep -c "^$1 " listed; }
tail -n 1 dump | grep -q "^old $(count old) new $(count new) changed $(count changed) same $(count same)$" ||
  { echo "bad totals: $(tail -n 1 dump)" >&2; exit 1; }
