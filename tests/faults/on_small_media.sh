#!/usr/bin/env bash
# Runs the medium test program with three Wine drives on tmpfs mounts made here and removed at
# the end, whatever happens: Q: a tmpfs of 768 KiB, R: a tmpfs and S: the same tmpfs bound
# read-only (root ignores file modes, a read-only mount it cannot ignore).
# usage: on_small_media.sh WINE_RUN PREFIX TEST_EXE
# Exit 77 (ctest: skipped) when not root or when this system allows no tmpfs mount.
set -u
run=$1 prefix=$2 exe=$3
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: mounting a small tmpfs needs root"
  exit 77
fi
. "$(dirname "$run")/wine-lib.sh"
qb_prefix_init "$prefix"
drives=("$prefix/dosdevices/q:" "$prefix/dosdevices/r:" "$prefix/dosdevices/s:")
for d in "${drives[@]}"; do
  if [ -e "$d" ] || [ -L "$d" ]; then echo "drive ${d##*/} is already mapped in $prefix"; exit 1; fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/qb-media.XXXXXX")
mkdir "$work/full" "$work/rw" "$work/ro"
cleanup() {
  rm -f "${drives[@]}"
  for m in ro rw full; do
    if mountpoint -q "$work/$m"; then umount "$work/$m"; fi
  done
  rmdir "$work/full" "$work/rw" "$work/ro" "$work"
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=768k qbfull "$work/full"; then
  echo "SKIPPED: this system allows no tmpfs mount"
  exit 77
fi
mount -t tmpfs -o size=4m qbrw "$work/rw" || exit 1
mount --bind "$work/rw" "$work/ro" && mount -o remount,bind,ro "$work/ro" || exit 1
ln -s "$work/full" "${drives[0]}"
ln -s "$work/rw" "${drives[1]}"
ln -s "$work/ro" "${drives[2]}"
"$run" "$prefix" "$exe"
