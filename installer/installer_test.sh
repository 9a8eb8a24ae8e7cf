#!/usr/bin/env bash
# The setup program under Wine, in a prefix of its own:
#   installer_test.sh SETUP.exe PORTABLE.zip WORK-DIR win32|win64 shell_invoke.exe
# checks the portable zip, installs silently, checks the files, registry
# values, shortcuts and uninstall entry, starts the installed program
# through the installed extension, uninstalls silently and checks that
# nothing of the machine's is left while the user's settings stay.
set -uo pipefail
setup=$1 zip=$2 work=$3 arch=$4 invoke=$5
root=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

if [ "$arch" = win32 ] && ! { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }; then
  echo "installer_test: this machine cannot run 32-bit programs; the 32-bit setup is not run here"
  exit 77
fi

# The portable zip: the three files in one folder.
listing=$(python3 -m zipfile -l "$zip" 2>&1)
for name in compare.exe pairlaunch.dll manual.chm; do
  check "zip holds $name" grep -q "/$name " <<<"$listing"
done

mkdir -p "$work"
. "$root/cmake/wine-prefix.sh" "$work" "$arch"
wine_run() { if [ "$arch" = win64 ]; then wine64 "$@"; else wine "$@"; fi; }
wineserver -p
trap 'wineserver -k >/dev/null 2>&1' EXIT
wine_run cmd /c exit >/dev/null 2>&1

reg_value() {  # reg_value KEY NAME [/reg:32|/reg:64]: the value's text, or nothing
  local args=(query "$1")
  if [ "$2" = "(Default)" ]; then args+=(/ve); else args+=(/v "$2"); fi
  [ $# -gt 2 ] && args+=("$3")
  wine_run reg "${args[@]}" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*    REG_[A-Z_]*    //p' | head -1
}
reg_key() { wine_run reg query "$1" "${@:2}" >/dev/null 2>&1; }
no_key() { ! reg_key "$@"; }

drive_c="$WINEPREFIX/drive_c"
if [ "$arch" = win64 ]; then
  dir="$drive_c/Program Files/Quillmere"
else
  dir="$drive_c/Program Files/Quillmere"
  [ -d "$drive_c/Program Files (x86)" ] && dir="$drive_c/Program Files (x86)/Quillmere"
fi
windir='C:\Program Files\Quillmere'
[ "$dir" = "$drive_c/Program Files (x86)/Quillmere" ] && windir='C:\Program Files (x86)\Quillmere'
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillmere"
clsid='{1dc5d4e2-06bb-416c-9fd3-c7f19202ad34}'
settings='HKCU\Software\Ambervale\Quillmere\Settings'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmere'

# A setting of the user's own, which the uninstaller must keep; it also
# keeps the tips from opening before the comparison window.
wine_run reg add "$settings" /v TipOfTheDay.ShowOnStartup /d false /f >/dev/null 2>&1

cp -f "$setup" "$work/setup.exe"
wine_run "$work/setup.exe" /S
rc=$?
check "silent setup ends with code 0 (it ended with $rc)" test "$rc" = 0

for name in compare.exe pairlaunch.dll manual.chm uninstall.exe; do
  check "installed $name" test -f "$dir/$name"
done
check "the manual is the built one" cmp -s "$dir/manual.chm" "$(dirname "$(dirname "$setup")")/bin/manual.chm"
machine=$(python3 -c 'import struct,sys
d=open(sys.argv[1],"rb").read()
o=struct.unpack_from("<I",d,0x3c)[0]
print(hex(struct.unpack_from("<H",d,o+4)[0]))' "$dir/pairlaunch.dll" 2>/dev/null)
want=0x14c; [ "$arch" = win64 ] && want=0x8664
check "the extension of the system's width is installed ($machine)" test "$machine" = "$want"

check "InstallDir is the installation folder" test "$(reg_value 'HKLM\Software\Ambervale\Quillmere' InstallDir)" = "$windir"
if [ "$arch" = win64 ]; then
  check "InstallDir in the 32-bit view too" test "$(reg_value 'HKLM\Software\Ambervale\Quillmere' InstallDir /reg:32)" = "$windir"
fi
check "the extension is registered from the installation folder" \
  test "$(reg_value "HKCR\\CLSID\\$clsid\\InprocServer32" '(Default)')" = "$windir\\pairlaunch.dll"
check "files' context menu handler" test "$(reg_value 'HKCR\*\shellex\ContextMenuHandlers\Quillmere' '(Default)')" = "$clsid"
check "folders' context menu handler" test "$(reg_value 'HKCR\Directory\ShellEx\ContextMenuHandlers\Quillmere' '(Default)')" = "$clsid"
check "uninstall entry names the product" test "$(reg_value "$uninstall_key" DisplayName)" = "Quillmere $(sed -n 's/^#define QM_VERSION_TEXT "\(.*\)"/\1/p' "$root/resources/version.h")"
check "uninstall entry runs the uninstaller" test "$(reg_value "$uninstall_key" UninstallString)" = "\"$windir\\uninstall.exe\""
check "Start menu shortcut" test -f "$menu/Quillmere.lnk"
check "the shortcut starts compare.exe" grep -aqi 'compare\.exe' "$menu/Quillmere.lnk"

# The installed extension starts the installed program on both paths.
files="$drive_c/qm-installer-test"
mkdir -p "$files"
printf 'one\r\ntwo\r\n' >"$files/left file.txt"
printf 'one\r\nthree\r\n' >"$files/right.txt"
out=$(wine_run "$invoke" 'C:\qm-installer-test\left file.txt' 'C:\qm-installer-test\right.txt' 2>&1 | tr -d '\r')
echo "$out" | sed 's/^/  shell_invoke: /'
mapfile -t lines <<<"$out"
check "the extension started the installed compare.exe" test "${lines[0],,}" = "${windir,,}\\compare.exe"
check "its left side is the second item" test "${lines[1]:-}" = 'C:\qm-installer-test\right.txt'
check "its right side is the first item" test "${lines[2]:-}" = 'C:\qm-installer-test\left file.txt'
rm -rf "$files"

wine_run "$dir/uninstall.exe" /S
# The uninstaller runs on from a copy of itself: wait for its work.
for _ in $(seq 1 150); do
  [ -e "$dir" ] || reg_key "$uninstall_key" || break
  sleep 0.2
done
sleep 1
check "the installation folder is gone" test ! -e "$dir"
check "the Start menu folder is gone" test ! -e "$menu"
check "InstallDir is gone" test -z "$(reg_value 'HKLM\Software\Ambervale\Quillmere' InstallDir)"
check "the product's machine key is gone" no_key 'HKLM\Software\Ambervale'
if [ "$arch" = win64 ]; then
  check "the 32-bit view's key is gone" no_key 'HKLM\Software\Ambervale' /reg:32
fi
check "the uninstall entry is gone" no_key "$uninstall_key"
check "the class id is gone" no_key "HKCR\\CLSID\\$clsid"
check "the files' handler is gone" no_key 'HKCR\*\shellex\ContextMenuHandlers\Quillmere'
check "the folders' handler is gone" no_key 'HKCR\Directory\ShellEx\ContextMenuHandlers\Quillmere'
check "the handlers' parent keys stay" reg_key 'HKCR\Directory\ShellEx\ContextMenuHandlers'
check "the user's settings stay" test "$(reg_value "$settings" TipOfTheDay.ShowOnStartup)" = false

if [ "$failures" -gt 0 ]; then
  echo "installer_test: $failures checks failed"
  exit 1
fi
echo "installer_test: all checks passed"
