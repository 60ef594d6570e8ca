#!/usr/bin/env bash
# Times our REGEDIT4 export (RegIO::ExportRegKey) against Wine's own `regedit /e` on the same
# 2,000-key, 20,000-value tree, best of N runs each, in a private prefix. A benchmark, not a test.
#   bench/reg_export_bench.sh [--runs N] [--keys N] [--values-per-key N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/wine-lib.sh"

runs=3 keys=2000 per_key=10
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --keys) keys=$2; shift 2 ;;
    --values-per-key) per_key=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--keys N] [--values-per-key N]" >&2; exit 2 ;;
  esac
done

build="$root/build/bench-win"
cmake -S "$root/bench" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target reg_export_bench -j2 >/dev/null
exe="$build/reg_export_bench.exe"

prefix="$build/wineprefix"
qb_prefix_init "$prefix"
qb_wine_env "$prefix"
cleanup() { wine "$exe" clean "$key" >/dev/null 2>&1 || true; qb_wine_stop; qb_xvfb_stop; }
key='Software\QuillboxBench\Export'
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then qb_xvfb_start; fi
qb_wine_warm

out="$build/out"
mkdir -p "$out"
wine "$exe" build "$key" "$keys" "$per_key"

# Wall time of a command in ms.
wall_ms() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}
min() { if [ -z "$1" ] || [ "$2" -lt "$1" ]; then echo "$2"; else echo "$1"; fi; }

echo "tree: HKCU\\$key, $keys keys, $((keys * per_key)) values; best of $runs"
wine "$exe" compare "$key" "$runs"
# Runs alternate between the programs so that both see the same load on a shared machine.
start= ours= theirs=
for _ in $(seq "$runs"); do
  start=$(min "$start" "$(wall_ms wine "$exe" noop)")
  ours=$(min "$ours" "$(wall_ms wine "$exe" export "$(winepath -w "$out/ours.reg")" "$key")")
  theirs=$(min "$theirs" "$(wall_ms wine regedit /e "$(winepath -w "$out/regedit.reg")" "HKEY_CURRENT_USER\\$key")")
done
echo "process start (no work):      ${start} ms"
echo "ours    ExportRegKey process: ${ours} ms ($(stat -c %s "$out/ours.reg") bytes)"
echo "regedit /e process:           ${theirs} ms ($(stat -c %s "$out/regedit.reg") bytes, UTF-16)"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "ratio ours/regedit: %.2fx (goal <= 1.0x)\n", a / b }'
