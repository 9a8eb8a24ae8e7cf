#!/bin/sh
# rowdump given a FIFO must refuse it at once (exit 2, the reason on
# stderr), never wait for a writer. Usage: rowdump_fifo_check.sh ROWDUMP WORK
rowdump=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
mkfifo "$work/fifo" || exit 1
printf 'x\n' >"$work/file"
timeout 10 "$rowdump" "$work/fifo" "$work/file" >/dev/null 2>"$work/err"
rc=$?
if [ "$rc" = 124 ]; then echo "rowdump waited on the FIFO" >&2; exit 1; fi
if [ "$rc" != 2 ]; then echo "rowdump exited $rc, expected 2" >&2; exit 1; fi
grep -q "not a file on disk" "$work/err" || { cat "$work/err" >&2; exit 1; }
