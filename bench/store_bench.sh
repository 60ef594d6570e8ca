#!/usr/bin/env bash
# Times a whole backup and a whole restore of a mail store through the real Quillbox.exe under
# Wine against tar on the same folder, best of N runs each, in one run of this script:
#   backup:  Quillbox (click on Do to OL.lzh in place)          vs `tar cf - | gzip -6`
#   restore: Quillbox restore page (click on Do to Store Root)  vs `tar xf store.tar` and
#            `gzip -dc store.tgz | tar xf -`
# Every backup is checked by a restore or by lhasa, every restored store with `diff -r` against
# the source; peak memory of Quillbox.exe (its working set, the Linux VmHWM, DLL included) is
# printed for both. A benchmark, not a test.
#   bench/store_bench.sh [--runs N] [--corpus DIR] [--no-progress] [--skip-tar] [--arch win64|win32|win32-nt]
# --skip-tar leaves out the tar yardsticks (for the 4 GiB store: see make_big_store.sh); --arch
# win32 times the 32-bit programs (build/win32), on a machine that runs 32-bit programs; win32-nt
# the same without the 9x stand-ins (build/win32-nt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-lib.sh"

runs=3
corpus="$root/bench/corpus/c200"
noprogress=0
skip_tar=0
arch=win64
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --no-progress) noprogress=1; shift ;;
    --skip-tar) skip_tar=1; shift ;;
    --arch) arch=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--corpus DIR] [--no-progress] [--skip-tar] [--arch win64|win32|win32-nt]" >&2; exit 2 ;;
  esac
done
backup_goal=0.5
restore_goal=1.0

# The programs as users get them, from the normal build of that architecture, and the two
# drivers (64-bit: a prefix made with 32-bit Wine runs both).
case "$arch" in
  win64) tree="$root/build/win"; toolchain=mingw-w64-x86_64 ;;
  win32|win32-nt) tree="$root/build/$arch"; toolchain=mingw-w64-i686
    qb_runs_32bit || { echo "store_bench: this machine's kernel runs no 32-bit programs" >&2; exit 1; } ;;
  *) echo "store_bench: --arch win64, win32 or win32-nt" >&2; exit 2 ;;
esac
# win32-nt: the 32-bit programs without the 9x stand-ins, to show what they cost on the NT family.
stand_ins=ON
[ "$arch" = win32-nt ] && stand_ins=OFF
cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" -DQB_9X_STAND_INS=$stand_ins >/dev/null
cmake --build "$tree" --target Quillbox unlha32 -j2 >/dev/null
bin="$tree/bin"
work="$root/build/bench-store"
cmake -S "$root/bench" -B "$work/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/win" --target drive_backup drive_restore -j2 >/dev/null

if [ ! -d "$corpus" ]; then
  echo "making corpus in $corpus" >&2
  python3 "$root/../shared/bench/make_corpus.py" "$corpus" --size 200M --seed 1 >/dev/null
fi
corpus=$(cd "$corpus" && pwd)
total=$(find "$corpus" -type f -printf '%s\n' | awk '{s+=$1} END {printf "%.0f\n", s}')
largest=$(find "$corpus" -type f -printf '%s\n' | sort -n | tail -1)
out="$work/out"
rm -rf "$out"
mkdir -p "$out"
# lhasa re-extracting every OL.lzh is left to small stores; a big one is checked by its restores.
lhasa_check=$([ "$total" -lt $((1 << 30)) ] && echo 1 || echo 0)

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

# Samples the Linux process running Quillbox.exe in this prefix every 0.1 s until the driver
# ends; the last line is "CPU seconds, VmHWM KiB".
sample() {
  local driver_pid=$1 file=$2 pid= p arg0 tck cpu hwm
  tck=$(getconf CLK_TCK)
  while kill -0 "$driver_pid" 2>/dev/null; do
    if [ -z "$pid" ]; then
      for p in $(pgrep -f 'Quillbox\.exe' || true); do
        # The drivers name Quillbox.exe among their arguments; only the program starts with it.
        IFS= read -r -d '' arg0 <"/proc/$p/cmdline" 2>/dev/null || true
        [[ "$arg0" == *Quillbox.exe ]] || continue
        grep -qzx "WINEPREFIX=$prefix" "/proc/$p/environ" 2>/dev/null && pid=$p
      done
    fi
    if [ -n "$pid" ]; then
      cpu=$(awk -v t="$tck" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$pid/stat" 2>/dev/null) || cpu=
      hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || hwm=
      if [ -n "$cpu" ] && [ -n "$hwm" ]; then echo "$cpu $hwm" >"$file"; fi
    fi
    sleep 0.1
  done
}
# drive NAME ARGS...: runs a driver with the sampler; sets s (seconds), cpu, kib, hwm.
drive() {
  local name=$1; shift
  rm -f "$out/proc"
  wine "$work/win/$name.exe" "$@" >"$out/driver.out" 2>"$out/driver.err" &
  local drv=$!
  sample "$drv" "$out/proc" &
  local smp=$!
  wait "$drv" || { cat "$out/driver.err" >&2; echo "$name did not complete" >&2; exit 1; }
  wait "$smp"
  local line
  line=$(cat "$out/driver.out")
  read -r cpu hwm <"$out/proc" || { cpu=n/a; hwm=0; }
  s=$(sed -n 's/^seconds=\([0-9.]*\).*/\1/p' <<<"$line")
  kib=$(sed -n 's/.*peak_working_set_kib=\([0-9]*\).*/\1/p' <<<"$line")
}
faster() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(b == "" || a < b) }'; }
max() { if [ "$2" -gt "$1" ]; then echo "$2"; else echo "$1"; fi; }
# tar_time CMD: wall seconds and CPU (children) of one shell command; sets s and cpu.
tar_time() {
  /usr/bin/time -f '%e %U %S' -o "$out/time" sh -c "$1"
  local u k
  read -r s u k <"$out/time"
  cpu=$(awk -v u="$u" -v k="$k" 'BEGIN { printf "%.2f", u + k }')
}

echo "store: $corpus ($total bytes, $(find "$corpus" -type f | wc -l) files, largest $largest bytes); load $(cut -d' ' -f1-3 /proc/loadavg)"

# Backups. The last one's folder is the restores' source.
best_bk="" best_bk_cpu="" bk_kib=0 bk_hwm=0
for i in $(seq "$runs"); do
  dest="$out/bk$i"
  drive drive_backup "$exe_w" "$(winepath -w "$dest")" 3600
  for f in OLbk1.reg OLdate.bkd OL.lzh; do
    [ -s "$dest/$f" ] || { echo "backup $i: $f missing or empty" >&2; exit 1; }
  done
  if [ "$lhasa_check" = 1 ]; then
    rm -rf "$out/x"
    mkdir -p "$out/x"
    lhasa xqfw="$out/x" "$dest/OL.lzh"
    diff -r "$out/x" "$corpus" >/dev/null || { echo "backup $i: OL.lzh does not extract to the store" >&2; exit 1; }
    rm -rf "$out/x"
  fi
  printf 'Quillbox backup  %s: %7.2f s (process CPU %s s with start-up), peak working set %s KiB (VmHWM %s KiB), OL.lzh %s bytes\n' \
    "$i" "$s" "$cpu" "$kib" "$hwm" "$(stat -c %s "$dest/OL.lzh")"
  if faster "$s" "$best_bk"; then best_bk=$s; best_bk_cpu=$cpu; fi
  bk_kib=$(max "$bk_kib" "$kib"); bk_hwm=$(max "$bk_hwm" "${hwm:-0}")
  [ "$i" -lt "$runs" ] && rm -rf "$dest"
done
source_dir="$out/bk$runs"

# The backup's information file is pointed at a fresh folder, so the restore never touches the
# store it was made from. The program upper-cases the folder, so the folder is named so too.
restored="$out/RESTORED"
restored_w=$(winepath -w "$restored")
sed -i "s|^storroot=.*|storroot=$(printf '%s' "$restored_w" | sed 's/[\\&|]/\\&/g')\r|" "$source_dir/OLdate.bkd"
grep -q "^storroot=$(printf '%s' "$restored_w" | sed 's/[\\.]/\\&/g')" "$source_dir/OLdate.bkd" \
  || { echo "could not point OLdate.bkd at $restored_w" >&2; exit 1; }
expected="${restored_w^^}\\"
bkd_w=$(winepath -w "$source_dir/OLdate.bkd")

best_rs="" best_rs_cpu="" rs_kib=0 rs_hwm=0
for i in $(seq "$runs"); do
  rm -rf "$restored"
  drive drive_restore "$exe_w" "$bkd_w" "$key" "$expected" 3600
  diff -r "$restored" "$corpus" >/dev/null || { echo "restore $i: the restored store differs from the source" >&2; exit 1; }
  printf 'Quillbox restore %s: %7.2f s (process CPU %s s with start-up), peak working set %s KiB (VmHWM %s KiB), store equal\n' \
    "$i" "$s" "$cpu" "$kib" "$hwm"
  if faster "$s" "$best_rs"; then best_rs=$s; best_rs_cpu=$cpu; fi
  rs_kib=$(max "$rs_kib" "$kib"); rs_hwm=$(max "$rs_hwm" "${hwm:-0}")
done
rm -rf "$restored"

parent=$(dirname "$corpus")
base=$(basename "$corpus")
best_gz="" best_gz_cpu="" best_tx="" best_tx_cpu="" best_gx="" best_gx_cpu=""
if [ "$skip_tar" = 0 ]; then
  for i in $(seq "$runs"); do
    rm -f "$out/store.tgz"
    tar_time "tar cf - -C '$parent' '$base' | gzip -6 > '$out/store.tgz'"
    printf 'tar | gzip -6   %s: %7.2f s (CPU %5.2f s), %s bytes\n' "$i" "$s" "$cpu" "$(stat -c %s "$out/store.tgz")"
    if faster "$s" "$best_gz"; then best_gz=$s; best_gz_cpu=$cpu; fi
  done
  tar cf "$out/store.tar" -C "$parent" "$base"
  # The two extractions alternate run by run, so both see the same load.
  for i in $(seq "$runs"); do
    rm -rf "$out/x" && mkdir -p "$out/x"
    tar_time "tar xf '$out/store.tar' -C '$out/x'"
    diff -r "$out/x/$base" "$corpus" >/dev/null || { echo "tar x: output differs" >&2; exit 1; }
    printf 'tar xf          %s: %7.2f s (CPU %5.2f s)\n' "$i" "$s" "$cpu"
    if faster "$s" "$best_tx"; then best_tx=$s; best_tx_cpu=$cpu; fi
    rm -rf "$out/x" && mkdir -p "$out/x"
    tar_time "gzip -dc '$out/store.tgz' | tar xf - -C '$out/x'"
    diff -r "$out/x/$base" "$corpus" >/dev/null || { echo "gzip -dc | tar x: output differs" >&2; exit 1; }
    printf 'gzip -dc | tar x %s: %7.2f s (CPU %5.2f s)\n' "$i" "$s" "$cpu"
    if faster "$s" "$best_gx"; then best_gx=$s; best_gx_cpu=$cpu; fi
  done
  rm -rf "$out/x" "$out/store.tar" "$out/store.tgz"
fi

printf '\nStore: %s (%s bytes); best of %s; progress window %s; %s cores, load at the end %s\n' \
  "$corpus" "$total" "$runs" "$([ "$noprogress" = 1 ] && echo off || echo on)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'Quillbox backup  (click on Do to OL.lzh):     %7.2f s  (CPU %s s)\n' "$best_bk" "$best_bk_cpu"
printf 'Quillbox restore (click on Do to Store Root): %7.2f s  (CPU %s s)\n' "$best_rs" "$best_rs_cpu"
if [ "$skip_tar" = 0 ]; then
  printf 'tar cf - | gzip -6:                           %7.2f s  (CPU %s s)\n' "$best_gz" "$best_gz_cpu"
  printf 'tar xf store.tar:                             %7.2f s  (CPU %s s)\n' "$best_tx" "$best_tx_cpu"
  printf 'gzip -dc store.tgz | tar xf -:                %7.2f s  (CPU %s s)\n' "$best_gx" "$best_gx_cpu"
  awk -v o="$best_bk" -v g="$best_gz" -v t="$backup_goal" \
    'BEGIN { r = o / g; printf "backup  / tar|gzip -6:      %.2fx (goal <= %.1fx): %s\n", r, t, (r <= t ? "MET" : "MISSED") }'
  awk -v o="$best_rs" -v g="$best_tx" -v t="$restore_goal" \
    'BEGIN { r = o / g; printf "restore / tar xf (plain):   %.2fx (goal <= %.1fx): %s\n", r, t, (r <= t ? "MET" : "MISSED") }'
  awk -v o="$best_rs" -v g="$best_gx" -v t="$restore_goal" \
    'BEGIN { r = o / g; printf "restore / gzip -dc | tar x: %.2fx (goal <= %.1fx): %s\n", r, t, (r <= t ? "MET" : "MISSED") }'
fi
printf 'peak working set of Quillbox.exe, highest run: backup %s MiB (VmHWM %s MiB), restore %s MiB (VmHWM %s MiB)\n' \
  "$((bk_kib / 1024))" "$((bk_hwm / 1024))" "$((rs_kib / 1024))" "$((rs_hwm / 1024))"
rm -rf "$out"
