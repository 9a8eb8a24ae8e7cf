#!/bin/sh
# Mounts (up) or removes (down) a small RAM disk as drive Q: of the Wine
# prefix under the build tree, for the tests of a full disk. Without the
# right to mount, the drive is simply missing and those tests skip.
# usage: small_drive.sh up|down <build-dir>
set -u
mnt="$2/qm-small-drive"
link="$2/wineprefix/dosdevices/q:"
case "$1" in
  up)
    mkdir -p "$mnt"
    if mountpoint -q "$mnt" || mount -t tmpfs -o size=512k tmpfs "$mnt" 2>/dev/null; then
      rm -f "$link"
      [ -d "$2/wineprefix/dosdevices" ] && ln -s "$mnt" "$link"
    else
      echo "small_drive: cannot mount a RAM disk here; full-disk tests will skip"
    fi
    ;;
  down)
    rm -f "$link"
    mountpoint -q "$mnt" && umount "$mnt"
    rmdir "$mnt" 2>/dev/null
    ;;
esac
exit 0
