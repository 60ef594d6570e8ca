#!/bin/sh
# Extraction throughput of our reader against bsdtar on the same archive.
# usage: lha/tools/bench_extract.sh BUILD_DIR [METHOD(5|6|7)] [RUNS]
#        ARCHIVE=path lha/tools/bench_extract.sh BUILD_DIR   (time an existing archive)
# BUILD_DIR must hold a Release build with tests (for lhacat). The corpus and archive are
# made once under the repository's build/ folder and reused. Prints the best wall and CPU
# time of each tool.
set -eu
build=$(cd "$1" && pwd)
method=${2:-5}
runs=${3:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
lhacat="$build/tests/lha/lhacat"
corpus="$root/build/corpus-reader"
archive=${ARCHIVE:-"$root/build/bench-lh$method.lzh"}
[ -x "$lhacat" ] || { echo "no $lhacat: build the lhacat target first" >&2; exit 2; }
[ -d "$corpus" ] || python3 "$root/../shared/bench/make_corpus.py" "$corpus" --size 50M
if [ ! -f "$archive" ]; then
    (cd "$corpus" && jlha "a2o${method}q" "$archive" . >/dev/null 2>&1)
fi
bytes=$("$lhacat" list "$archive" | awk '{s += $2} END {print s}')
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

best() {  # best() NAME COMMAND...: runs COMMAND $runs times into a fresh folder
    name=$1
    shift
    bw=999999
    bu=999999
    i=0
    while [ "$i" -lt "$runs" ]; do
        rm -rf "$out/x" && mkdir "$out/x"
        /usr/bin/time -o "$out/time" -f "%e %U" "$@" >/dev/null 2>&1
        t=$(tail -1 "$out/time")
        w=${t% *}
        u=${t#* }
        bw=$(echo "$w $bw" | awk '{print ($1 < $2) ? $1 : $2}')
        bu=$(echo "$u $bu" | awk '{print ($1 < $2) ? $1 : $2}')
        i=$((i + 1))
    done
    echo "$name: best wall ${bw}s, best cpu ${bu}s, $(echo "$bytes $bw" | awk '{printf "%.0f", $1 / $2 / 1e6}') MB/s"
}

echo "archive $archive: $bytes bytes of members, $runs runs each"
best "bsdtar -xf     " bsdtar -xf "$archive" -C "$out/x"
best "lhacat extract " "$lhacat" extract "$archive" "$out/x"
best "lhacat test    " "$lhacat" test "$archive"
