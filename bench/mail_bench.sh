#!/usr/bin/env bash
# Mail export benchmark: qbmail export against the floor (mail_floor: each message's bytes,
# already located, copied into a file of its own) on a store of about 400 MiB made by the tests'
# writer; from the backup's OL.lzh against unpacking it first and exporting the folder; peak
# memory on that store and, with --big, on a 4 GiB store whose Inbox.dbx is 1.9 GiB.
# usage: bench/mail_bench.sh [--runs N] [--size MIB] [--big]
# A benchmark, not a test: nothing is asserted. Each time is the best of N runs (default 3),
# the programs alternating run by run, caches warm for both.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
runs=3
size=400
big=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --big) big=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

. "$here/mail_corpus.sh"
mail_corpus "$size"
qbmail="$build/qbmail/qbmail"
floor="$build/bench/mail/mail_floor"
bytes=$(find "$store" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')
work="$build/work"

# wall SECONDS and peak RSS (KiB) of one run, into $t and $rss
timed() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
  read -r t rss < "$work/time"
}
best() { [ -z "$1" ] || awk "BEGIN{exit !($2 < $1)}" && echo "$2" || echo "$1"; }

rm -rf "$work"
mkdir -p "$work"
bf="" bq="" ba="" b2="" qrss=0 arss=0 messages=0
for _ in $(seq "$runs"); do
  rm -rf "$work/floor" "$work/q"
  read -r ft messages < <("$floor" "$store" "$work/floor")
  bf=$(best "$bf" "$ft")
  timed "$qbmail" export "$store" "$work/q"
  bq=$(best "$bq" "$t"); qrss=$rss
  rm -rf "$work/a"
  timed "$qbmail" export "$archive" "$work/a"
  ba=$(best "$ba" "$t"); arss=$rss
  rm -rf "$work/x" "$work/b"
  mkdir -p "$work/x"
  start=$(date +%s.%N)
  "$repo/build/bench/lha_unpack" "$archive" "$work/x" >/dev/null
  "$qbmail" export "$work/x" "$work/b" >/dev/null
  b2=$(best "$b2" "$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')")
done
[ "$(find "$work/q" -name '*.eml' | wc -l)" = "$messages" ] || { echo "the export wrote another count than $messages" >&2; exit 1; }
diff -r "$work/q" "$work/a" >/dev/null || { echo "the export from OL.lzh differs from the folder's" >&2; exit 1; }

printf 'store: %s MiB, %s messages (%s bytes)\n' "$size" "$messages" "$bytes"
printf '%-44s %8s %10s\n' "" seconds "peak RSS"
printf '%-44s %8.2f\n' "floor (located bytes to their files)" "$bf"
printf '%-44s %8.2f %7d KiB\n' "qbmail export STORE" "$bq" "$qrss"
printf '%-44s %8.2f %7d KiB\n' "qbmail export OL.lzh" "$ba" "$arss"
printf '%-44s %8.2f\n' "unpack OL.lzh, then qbmail export the folder" "$b2"
awk -v q="$bq" -v f="$bf" -v a="$ba" -v u="$b2" 'BEGIN {
  printf "export / floor: %.2fx (goal <= 1.25x); OL.lzh / two steps: %.2fx (goal < 1.0x)\n", q / f, a / u }'

if [ "$big" = 1 ]; then
  bigstore="$here/corpus/mail4g"
  if [ ! -f "$bigstore/Folders.dbx" ]; then
    echo "making a 4 GiB store (Inbox.dbx 1.9 GiB) in $bigstore" >&2
    "$build/bench/mail/make_mail_store" "$bigstore" 4096 --inbox-mib 1946 >/dev/null
  fi
  rm -rf "$work/big"
  timed "$qbmail" export "$bigstore" "$work/big"
  printf 'big store: %s bytes, export %.1f s, peak RSS %d KiB (goal < 65536)\n' \
    "$(find "$bigstore" -type f -printf '%s\n' | awk '{s+=$1} END {print s}')" "$t" "$rss"
  rm -rf "$work/big"
fi
