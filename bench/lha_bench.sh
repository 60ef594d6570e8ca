#!/usr/bin/env bash
# LHA writer benchmark: builds the tools optimized, makes the corpus if missing, and prints one
# table of sizes and throughputs for our -lh5-/-lh7- writer and reader next to peer tools.
# usage: bench/lha_bench.sh [--runs N] [--threads N] [--corpus DIR] [--skip-jlha] [--skip-max]
# Each timing is the best of N runs (default 3): the machine is shared, the minimum is the
# least disturbed run. MB/s = 10^6 bytes of original data per second of wall time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=3
threads=0
corpus="$here/corpus/c200"
skip_jlha=0
skip_max=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --threads) threads=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --skip-jlha) skip_jlha=1; shift ;;
    --skip-max) skip_max=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

# Targets: the best widely used LHA writer's -lh5- size on this corpus, and throughput ratios.
target_lh5=78257143
target_compress_ratio=1.5
target_extract_ratio=1.0

build="$repo/build/bench"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null
pack="$build/lha_pack"
unpack="$build/lha_unpack"

if [ ! -d "$corpus" ]; then
  echo "making corpus in $corpus" >&2
  python3 "$here/../../shared/bench/make_corpus.py" "$corpus" --size 200M --seed 1 >/dev/null
fi
total=$(find "$corpus" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
work="$repo/build/bench/work"
rm -rf "$work"
mkdir -p "$work"
parent=$(dirname "$corpus")
base=$(basename "$corpus")

# best_time CMD...: runs CMD $runs times (after a cleanup hook), prints the best wall time;
# peak RSS of the best run goes to $work/rss.
best_time() {
  local best="" t rss
  for _ in $(seq "$runs"); do
    [ -n "${cleanup:-}" ] && eval "$cleanup"
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; return 1; }
    read -r t rss < "$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; echo "$rss" > "$work/rss"; fi
  done
  echo "$best"
}
mbps() { awk -v b="$total" -v t="$1" 'BEGIN { if (t <= 0) t = 0.01; printf "%.1f", b / 1e6 / t }'; }
pct() { awk -v s="$1" -v b="$total" 'BEGIN { printf "%.2f%%", 100 * s / b }'; }
size() { stat -c %s "$1"; }

rows=()
row() { rows+=("$(printf '%-34s %14s %8s %10s %10s %9s' "$@")"); }

# Ours: compress both methods, extract with our reader.
declare -A csize ctime xtime crss
for m in lh5 lh7; do
  cleanup="rm -f '$work/$m.lzh'"
  ctime[$m]=$(best_time "$pack" -m "$m" -t "$threads" "$work/$m.lzh" "$corpus")
  crss[$m]=$(cat "$work/rss")
  csize[$m]=$(size "$work/$m.lzh")
  cleanup="rm -rf '$work/x'; mkdir -p '$work/x'"
  xtime[$m]=$(best_time "$unpack" "$work/$m.lzh" "$work/x")
  diff -r "$work/x" "$corpus" >/dev/null || { echo "our reader: $m extraction differs" >&2; exit 1; }
done
unset cleanup

# The cost-priced parse (-l max): slower, so one run.
max_size="" max_c=""
if [ "$skip_max" = 0 ]; then
  cleanup="rm -f '$work/lh5max.lzh'"
  max_c=$(runs=1 best_time "$pack" -m lh5 -l max -t "$threads" "$work/lh5max.lzh" "$corpus")
  max_size=$(size "$work/lh5max.lzh")
  unset cleanup
fi

# gzip -6 yardstick: one tar stream through gzip, and back.
gz_c=$(best_time sh -c "tar cf - -C '$parent' '$base' | gzip -6 > '$work/corpus.tar.gz'")
gz_size=$(size "$work/corpus.tar.gz")
cleanup="rm -rf '$work/x'; mkdir -p '$work/x'"
gz_x=$(best_time sh -c "gzip -dc '$work/corpus.tar.gz' | tar xf - -C '$work/x'")

# Peers extracting our -lh5- archive (each result compared with the corpus).
peer_x() {
  local name=$1; shift
  local t
  t=$(best_time sh -c "$*")
  diff -r "$work/x" "$corpus" >/dev/null || { echo "$name extraction differs" >&2; exit 1; }
  echo "$t"
}
lhasa_x=$(peer_x lhasa "cd '$work/x' && lha xq '$work/lh5.lzh'")
bsdtar_x=$(peer_x bsdtar "bsdtar -xf '$work/lh5.lzh' -C '$work/x'")
sevenz_x=$(peer_x 7zz "7zz x -y -o'$work/x' '$work/lh5.lzh'")
unset cleanup

jlha_c="" jlha_size=""
if [ "$skip_jlha" = 0 ]; then
  cleanup="rm -f '$work/jlha.lzh'"
  # Java start-up and speed make one run enough for the comparison.
  if jlha_c=$(runs=1 best_time sh -c "cd '$corpus' && find . -type f -printf '%P\\0' | xargs -0 jlha ao5q '$work/jlha.lzh'" 2>/dev/null) \
     && [ -s "$work/jlha.lzh" ]; then
    jlha_size=$(size "$work/jlha.lzh")
  else
    jlha_c=""
  fi
  unset cleanup
fi

printf '\nCorpus: %s (%s bytes, %s files); best of %s runs; threads=%s (0 = all %s cores)\n' \
  "$corpus" "$total" "$(find "$corpus" -type f | wc -l)" "$runs" "$threads" "$(nproc)"
printf 'Load average at the end (other jobs share the machine): %s\n\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
row "tool" "archive bytes" "ratio" "comp MB/s" "extr MB/s" "peak RSS"
row "ours -lh5- (lha_pack / lha_unpack)" "${csize[lh5]}" "$(pct "${csize[lh5]}")" "$(mbps "${ctime[lh5]}")" "$(mbps "${xtime[lh5]}")" "$((${crss[lh5]} / 1024))M"
row "ours -lh7-" "${csize[lh7]}" "$(pct "${csize[lh7]}")" "$(mbps "${ctime[lh7]}")" "$(mbps "${xtime[lh7]}")" "$((${crss[lh7]} / 1024))M"
if [ -n "$max_c" ]; then
  row "ours -lh5- -l max (1 run)" "$max_size" "$(pct "$max_size")" "$(mbps "$max_c")" "" ""
fi
row "lhasa x (our -lh5-)" "" "" "" "$(mbps "$lhasa_x")" ""
row "bsdtar x (our -lh5-)" "" "" "" "$(mbps "$bsdtar_x")" ""
row "7zz x (our -lh5-)" "" "" "" "$(mbps "$sevenz_x")" ""
if [ -n "$jlha_c" ]; then
  row "jlha -lh5- (ao5)" "$jlha_size" "$(pct "$jlha_size")" "$(mbps "$jlha_c")" "" ""
else
  row "jlha -lh5- (ao5)" "n/a" "" "" "" ""
fi
row "tar | gzip -6" "$gz_size" "$(pct "$gz_size")" "$(mbps "$gz_c")" "$(mbps "$gz_x")" ""
printf '%s\n' "${rows[@]}"

printf '\nTargets\n'
awk -v s="${csize[lh5]}" -v t="$target_lh5" 'BEGIN { printf "  -lh5- size   %d vs %d: %+.2f%% %s\n", s, t, 100 * (s - t) / t, (s <= t ? "MET" : "MISSED") }'
awk -v g="$gz_c" -v o="${ctime[lh5]}" -v r="$target_compress_ratio" 'BEGIN { x = g / o; printf "  compress     %.2fx gzip -6 (target %.1fx): %s\n", x, r, (x >= r ? "MET" : "MISSED") }'
awk -v b="$bsdtar_x" -v o="${xtime[lh5]}" -v r="$target_extract_ratio" 'BEGIN { x = b / o; printf "  extract      %.2fx bsdtar (target %.1fx): %s\n", x, r, (x >= r ? "MET" : "MISSED") }'
printf '  memory       peak RSS %s MiB compressing %s bytes (bounded by segments in flight)\n' "$((${crss[lh5]} / 1024))" "$total"
