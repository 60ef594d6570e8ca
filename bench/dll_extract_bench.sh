#!/usr/bin/env bash
# Times the restore's unpack of the 200 MiB corpus archive through unlha32.dll under Wine
# (`e -x1m1 "ARCHIVE" "DEST"\ *`, called by a small driver) against `bsdtar -xf` of the same
# archive, best of N runs each, alternating, in one run of this script. Every output is compared
# with the corpus. A benchmark, not a test.
#   bench/dll_extract_bench.sh [--runs N] [--corpus DIR] [--dll PATH] [--no-progress]
# --dll times another build of unlha32.dll (say an older one) instead of building the tree's.
# --no-progress sets QUILLBOX_UNLHA_NOPROGRESS=1 (by default the progress window shows, as for users).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-lib.sh"

runs=3
corpus="$root/bench/corpus/c200"
dll=""
noprogress=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --dll) dll=$2; shift 2 ;;
    --no-progress) noprogress=1; shift ;;
    *) echo "usage: $0 [--runs N] [--corpus DIR] [--dll PATH] [--no-progress]" >&2; exit 2 ;;
  esac
done
target_ratio=1.3
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
work="$root/build/bench-dll"
mkdir -p "$work"

# The DLL as the programs ship it (the tree's default build type), the driver, and lha_pack.
if [ -z "$dll" ]; then
  cmake -S "$root" -B "$work/dll" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$work/dll" --target unlha32 -j2 >/dev/null
  dll="$work/dll/bin/unlha32.dll"
fi
dll=$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")
cmake -S "$root/bench" -B "$work/win" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/win" --target drive_unlha -j2 >/dev/null
cmake -S "$root/bench" -B "$work/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/native" --target lha_pack -j2 >/dev/null

if [ ! -d "$corpus" ]; then
  echo "making corpus in $corpus" >&2
  python3 "$root/../shared/bench/make_corpus.py" "$corpus" --size 200M --seed 1 >/dev/null
fi
corpus=$(cd "$corpus" && pwd)
total=$(find "$corpus" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
# The archive is made once and kept: the corpus is fixed by its seed.
archive="$work/c200.lzh"
if [ ! -s "$archive" ]; then
  "$work/native/lha_pack" -m lh5 "$archive.part" "$corpus"
  mv "$archive.part" "$archive"
fi
out="$work/out"
rm -rf "$out"
mkdir -p "$out"

prefix="$work/wineprefix"
qb_prefix_init "$prefix"
qb_wine_env "$prefix"
[ "$noprogress" = 1 ] && export QUILLBOX_UNLHA_NOPROGRESS=1
cleanup() { qb_wine_stop; qb_xvfb_stop; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then qb_xvfb_start; fi
qb_wine_warm

dll_w=$(winepath -w "$dll")
archive_w=$(winepath -w "$archive")
dest_w=$(winepath -w "$out")\\x
faster() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(b == "" || a < b) }'; }
best_call="" best_first="" best_proc="" best_tar=""
for i in $(seq "$runs"); do
  rm -rf "$out/x"
  mkdir -p "$out/x"
  /usr/bin/time -f '%e' -o "$out/time" wine "$work/win/drive_unlha.exe" "$dll_w" \
    "e -x1m1 \"$archive_w\" \"$dest_w\"\\ *" >"$out/driver.out" 2>"$out/driver.err" </dev/null \
    || { cat "$out/driver.err" "$out/driver.out" >&2; echo "run $i: Unlha failed" >&2; exit 1; }
  load=$(sed -n 's/^load=\([0-9.]*\).*/\1/p' "$out/driver.out")
  call=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$out/driver.out")
  first=$(awk -v l="$load" -v c="$call" 'BEGIN { printf "%.3f", l + c }')
  proc=$(cat "$out/time")
  diff -r "$out/x" "$corpus" >/dev/null || { echo "run $i: the DLL's output differs from the corpus" >&2; exit 1; }
  faster "$call" "$best_call" && best_call=$call
  faster "$first" "$best_first" && best_first=$first
  faster "$proc" "$best_proc" && best_proc=$proc

  rm -rf "$out/x"
  mkdir -p "$out/x"
  /usr/bin/time -f '%e' -o "$out/time" bsdtar -xf "$archive" -C "$out/x"
  tar_s=$(cat "$out/time")
  diff -r "$out/x" "$corpus" >/dev/null || { echo "run $i: bsdtar's output differs from the corpus" >&2; exit 1; }
  faster "$tar_s" "$best_tar" && best_tar=$tar_s
  printf 'run %s: Unlha call %6.3f s (DLL load %5.3f s, wine process %5.2f s)   bsdtar -xf %5.2f s\n' \
    "$i" "$call" "$load" "$proc" "$tar_s"
done
rm -rf "$out/x"

printf '\nArchive: %s (%s bytes) of %s (%s bytes, %s files); best of %s; progress window %s; %s cores, load %s\n' \
  "$archive" "$(stat -c %s "$archive")" "$corpus" "$total" "$(find "$corpus" -type f | wc -l)" "$runs" \
  "$([ "$noprogress" = 1 ] && echo off || echo on)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'DLL: %s\n' "$dll"
printf 'Unlha e -x1m1 (the call):        %6.3f s\n' "$best_call"
printf 'DLL load + the call:             %6.3f s\n' "$best_first"
printf 'Unlha e -x1m1 (whole wine run):  %6.3f s\n' "$best_proc"
printf 'bsdtar -xf:                      %6.3f s\n' "$best_tar"
awk -v o="$best_call" -v f="$best_first" -v p="$best_proc" -v b="$best_tar" -v t="$target_ratio" 'BEGIN {
  r = b / o; printf "speed vs bsdtar, the call: %.2fx (goal >= %.1fx): %s\n", r, t, (r >= t ? "MET" : "MISSED");
  printf "speed vs bsdtar, DLL load + the call (a first call in the program): %.2fx\n", b / f;
  printf "speed vs bsdtar, whole wine run (with Wine start-up): %.2fx\n", b / p }'
