#!/usr/bin/env bash
# Times a whole backup of the 200 MiB corpus store through the real Quillbox.exe under Wine
# (identity seeded in a private prefix, bkDir set, Do clicked, no address book) against
# `tar cf - STORE | gzip -6` of the same folder, best of N runs each, in one run of this script.
# Every OL.lzh is extracted with lhasa and compared with the corpus. A benchmark, not a test.
#   bench/backup_bench.sh [--runs N] [--corpus DIR] [--no-progress]
# --no-progress sets QUILLBOX_UNLHA_NOPROGRESS=1 (the archiver's progress window stays hidden).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-lib.sh"

runs=3
corpus="$root/bench/corpus/c200"
noprogress=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --no-progress) noprogress=1; shift ;;
    *) echo "usage: $0 [--runs N] [--corpus DIR] [--no-progress]" >&2; exit 2 ;;
  esac
done
target_ratio=0.5

# The program as users get it, from the normal build; built only when missing.
bin="$root/build/win/bin"
if [ ! -f "$bin/Quillbox.exe" ] || [ ! -f "$bin/unlha32.dll" ]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win" --target Quillbox unlha32 -j2 >/dev/null
fi

work="$root/build/bench-backup"
cmake -S "$root/bench" -B "$work/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/win" --target drive_backup -j2 >/dev/null
driver="$work/win/drive_backup.exe"

if [ ! -d "$corpus" ]; then
  echo "making corpus in $corpus" >&2
  python3 /work/shared/bench/make_corpus.py "$corpus" --size 200M --seed 1 >/dev/null
fi
corpus=$(cd "$corpus" && pwd)
total=$(find "$corpus" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
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

# One identity whose store is the corpus, plus the account tree the backup exports.
key='{5B0C2E41-8D7A-4F36-A1C9-3E2D4B6F8A10}'
esc() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
reg="$work/seed.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[-HKEY_CURRENT_USER\\Identities]\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Identities]\r\n"Default User ID"="%s"\r\n"Last User ID"="%s"\r\n\r\n' "$key" "$key"
  printf '[HKEY_CURRENT_USER\\Identities\\%s]\r\n"Username"="Bench Identity"\r\n"User ID"="%s"\r\n\r\n' "$key" "$key"
  printf '[HKEY_CURRENT_USER\\Identities\\%s\\Software\\Microsoft\\Outlook Express\\5.0]\r\n' "$key"
  printf '"Store Root"="%s"\r\n\r\n' "$(esc "$(winepath -w "$corpus")")"
  printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager]\r\n"Default Mail Account"="00000001"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\r\n'
  printf '"Account Name"="mail.example.jp"\r\n"POP3 Server"="pop.example.jp"\r\n"POP3 User Name"="taro"\r\n\r\n'
} | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
(cd / && wine regedit /S "$(winepath -w "$reg")" </dev/null)

exe_w=$(winepath -w "$bin/Quillbox.exe")

# Samples the Linux process running Quillbox.exe in this prefix (found by its first argument and
# environment) every 0.1 s until the driver ends; the last line is "CPU seconds, VmHWM KiB".
sample() {
  local driver_pid=$1 file=$2 pid= p arg0 tck cpu hwm
  tck=$(getconf CLK_TCK)
  while kill -0 "$driver_pid" 2>/dev/null; do
    if [ -z "$pid" ]; then
      for p in $(pgrep -f 'Quillbox\.exe' || true); do
        # The driver names Quillbox.exe among its arguments; only the program itself starts with it.
        IFS= read -r -d '' arg0 <"/proc/$p/cmdline" 2>/dev/null || true
        [[ "$arg0" == *Quillbox.exe ]] || continue
        grep -qzx "WINEPREFIX=$prefix" "/proc/$p/environ" 2>/dev/null && pid=$p
      done
    fi
    if [ -n "$pid" ]; then
      # An exiting process has no memory lines left: keep the last full sample.
      cpu=$(awk -v t="$tck" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$pid/stat" 2>/dev/null) || cpu=
      hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || hwm=
      if [ -n "$cpu" ] && [ -n "$hwm" ]; then echo "$cpu $hwm" >"$file"; fi
    fi
    sleep 0.1
  done
}
best_ours="" best_ours_cpu="" max_kib=0
for i in $(seq "$runs"); do
  dest="$out/run$i"
  rm -f "$out/proc"
  wine "$driver" "$exe_w" "$(winepath -w "$dest")" >"$out/driver.out" 2>"$out/driver.err" &
  drv=$!
  sample "$drv" "$out/proc" &
  smp=$!
  wait "$drv" || { cat "$out/driver.err" >&2; echo "run $i: the backup did not complete" >&2; exit 1; }
  wait "$smp"
  line=$(cat "$out/driver.out")
  read -r cpu hwm <"$out/proc" || { cpu=n/a; hwm=n/a; }
  s=$(sed -n 's/^seconds=\([0-9.]*\).*/\1/p' <<<"$line")
  kib=$(sed -n 's/.*peak_working_set_kib=\([0-9]*\).*/\1/p' <<<"$line")
  for f in OLbk1.reg OLdate.bkd OL.lzh; do
    [ -s "$dest/$f" ] || { echo "run $i: $f missing or empty" >&2; exit 1; }
  done
  [ ! -e "$dest/WAB.lzh" ] || { echo "run $i: WAB.lzh made though not asked for" >&2; exit 1; }
  rm -rf "$out/x"
  mkdir -p "$out/x"
  lhasa xqfw="$out/x" "$dest/OL.lzh"
  diff -r "$out/x" "$corpus" >/dev/null || { echo "run $i: OL.lzh does not extract to the corpus" >&2; exit 1; }
  lzh_size=$(stat -c %s "$dest/OL.lzh")
  printf 'Quillbox run %s: %6.2f s (process CPU %s s with start-up), peak working set %s KiB (VmHWM %s KiB), OL.lzh %s bytes, extracts equal\n' \
    "$i" "$s" "$cpu" "$kib" "$hwm" "$lzh_size"
  if [ -z "$best_ours" ] || awk "BEGIN{exit !($s < $best_ours)}"; then best_ours=$s; best_ours_cpu=$cpu; fi
  [ "$kib" -gt "$max_kib" ] && max_kib=$kib
  rm -rf "$out/x" "$dest"
done

parent=$(dirname "$corpus")
base=$(basename "$corpus")
best_gz="" best_gz_cpu=""
for i in $(seq "$runs"); do
  rm -f "$out/x.tgz"
  # The shell waits for both, so its children's CPU time is that of tar and gzip together.
  /usr/bin/time -f '%e %U %S' -o "$out/time" sh -c "tar cf - -C '$parent' '$base' | gzip -6 > '$out/x.tgz'"
  read -r s u k <"$out/time"
  cpu=$(awk -v u="$u" -v k="$k" 'BEGIN { printf "%.2f", u + k }')
  printf 'tar | gzip -6 run %s: %6.2f s (CPU %5.2f s), %s bytes\n' "$i" "$s" "$cpu" "$(stat -c %s "$out/x.tgz")"
  if [ -z "$best_gz" ] || awk "BEGIN{exit !($s < $best_gz)}"; then best_gz=$s; best_gz_cpu=$cpu; fi
done
rm -f "$out/x.tgz"

printf '\nCorpus: %s (%s bytes, %s files); best of %s; progress window %s; %s cores, load %s\n' \
  "$corpus" "$total" "$(find "$corpus" -type f | wc -l)" "$runs" \
  "$([ "$noprogress" = 1 ] && echo off || echo on)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'Quillbox backup (click on Do to end): %7.2f s   (CPU %s s)\n' "$best_ours" "$best_ours_cpu"
printf 'tar cf - | gzip -6:                   %7.2f s   (CPU %5.2f s)\n' "$best_gz" "$best_gz_cpu"
awk -v o="$best_ours" -v g="$best_gz" -v t="$target_ratio" \
  'BEGIN { r = o / g; printf "ratio ours/tar|gzip: %.2fx (goal <= %.1fx): %s\n", r, t, (r <= t ? "MET" : "MISSED") }'
printf 'peak working set of Quillbox.exe (GetProcessMemoryInfo, the Linux VmHWM), highest of all runs: %s MiB\n' \
  "$((max_kib / 1024))"
