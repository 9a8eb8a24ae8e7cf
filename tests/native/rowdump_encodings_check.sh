#!/bin/sh
# rowdump on a UTF-16 LE file (CR LF) against a UTF-8 one (LF) holding the
# same text but one changed line: the encodings and formats are named, and
# the rows are those of the text. Usage: rowdump_encodings_check.sh ROWDUMP WORK
rowdump=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
# "a\r\n" "x \u00e9 y\r\n" "\U0001F600\r\n" in UTF-16 LE with its mark.
printf '\377\376a\000\r\000\n\000x\000 \000\351\000 \000y\000\r\000\n\000' >"$work/le.txt"
printf '\075\330\000\336\r\000\n\000' >>"$work/le.txt"
# The same in UTF-8 with LF, "y" changed to "z": highlights are byte
# positions of the UTF-8 text, on both sides alike.
printf 'a\nx \303\251 z\n\360\237\230\200\n' >"$work/u8.txt"
"$rowdump" --encodings "$work/le.txt" "$work/u8.txt" >"$work/out" || exit 1
cat >"$work/expected" <<'END'
formats DOS UNIX
encoding left: UTF-16 LE (DOS)
encoding right: UTF-8 (UNIX)
same 1 1
changed 2 2 L=5 R=5
same 3 3
same 4 4
diffs 1 lines 1 edits 2
END
diff "$work/expected" "$work/out" >&2 || exit 1
rm -rf "$work"
