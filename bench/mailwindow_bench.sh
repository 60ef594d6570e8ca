#!/usr/bin/env bash
# The mail window against qbmail.exe on the same backup, under the same Wine: a backup folder
# whose OL.lzh holds the mail benchmark's store (about 400 MiB, written by the tests' writer),
# exported as .eml files, best of N runs each, the two alternating. The window is timed from the
# click on Do to its closing message (its start-up and listing come before), qbmail.exe from its
# start to its exit; both outputs must be the same files. A benchmark, not a test.
#   bench/mailwindow_bench.sh [--runs N] [--size MIB]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tools/wine-lib.sh"
runs=3
size=400
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--size MIB]" >&2; exit 2 ;;
  esac
done

. "$here/mail_corpus.sh"
mail_corpus "$size"

# The programs as users get them, and the driver.
tree="$repo/build/win"
cmake -S "$repo" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$tree" --target Quillboxmail qbmail -j2 >/dev/null
work="$repo/build/bench-mailwindow"
cmake -S "$here" -B "$work/win" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/win" --target drive_mailwindow -j2 >/dev/null

# A backup folder as Quillbox leaves it, less the settings file, with the window copied in.
backup="$work/backup"
rm -rf "$backup" "$work/out"
mkdir -p "$backup" "$work/out"
ln "$archive" "$backup/OL.lzh" 2>/dev/null || cp "$archive" "$backup/OL.lzh"
printf '////OutLook Backup////\r\n[main]\r\ndate=12/8/2026\r\ninstall={0A}\r\nUserID={0A}\r\nUserName=Main Identity\r\nAddressbook=0\r\n' \
  >"$backup/OLdate.bkd"
cp "$tree/bin/Quillboxmail.exe" "$backup/"

prefix="$work/wineprefix"
qb_prefix_init "$prefix"
qb_wine_env "$prefix"
cleanup() { qb_wine_stop; qb_xvfb_stop; }
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || qb_xvfb_start
qb_wine_warm

# drive ARGS...: one run of the driver; sets s (seconds) and kib (peak working set).
drive() {
  wine "$work/win/drive_mailwindow.exe" "$@" >"$work/driver.out" 2>"$work/driver.err" </dev/null ||
    { cat "$work/driver.err" >&2; echo "drive_mailwindow $1 did not complete" >&2; exit 1; }
  s=$(sed -n 's/^seconds=\([0-9.]*\).*/\1/p' "$work/driver.out")
  kib=$(sed -n 's/.*peak_working_set_kib=\([0-9]*\).*/\1/p' "$work/driver.out")
}
best() { [ -z "$1" ] || awk "BEGIN{exit !($2 < $1)}" && echo "$2" || echo "$1"; }

bw="" bq="" wkib=0
for i in $(seq "$runs"); do
  rm -rf "$work/out/q" "$work/out/w"
  drive command "$(winepath -w "$tree/bin/qbmail.exe")" "$(winepath -w "$backup")" "$(winepath -w "$work/out/q")"
  bq=$(best "$bq" "$s")
  drive window "$(winepath -w "$backup/Quillboxmail.exe")" "$(winepath -w "$work/out/w")" 1800
  bw=$(best "$bw" "$s"); wkib=$kib
  diff -r "$work/out/q" "$work/out/w" >/dev/null || { echo "run $i: the window wrote other files than qbmail.exe" >&2; exit 1; }
done

printf 'backup: OL.lzh of a %s MiB store, %s messages\n' "$size" "$(find "$work/out/q" -name '*.eml' | wc -l)"
printf '%-46s %8.2f s\n' "qbmail.exe export BACKUP OUT (whole process)" "$bq"
printf '%-46s %8.2f s   peak working set %s KiB\n' "Quillboxmail.exe, click on Do to its message" "$bw" "$wkib"
awk -v w="$bw" -v q="$bq" 'BEGIN { printf "window / qbmail.exe: %.2fx\n", w / q }'
