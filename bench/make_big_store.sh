#!/usr/bin/env bash
# Makes a big mail store (about 4.7 GiB) from the 200 MiB corpus, quickly and always the same:
#   Inbox.dbx          2100 MiB  the corpus's three big .dbx files over and over (> 2 GiB)
#   Sent Items.dbx     2060 MiB  the same, in another order (> 2 GiB)
#   Deleted Items.dbx   600 MiB  an AES-CTR key stream of a fixed key: does not compress, so
#                                the archive passes 2 GiB and members after it sit beyond that
#   the corpus's small files as they are.
# Members stay under 4 GiB, the most a member header holds. Made once; DEST.complete marks it done.
#   bench/make_big_store.sh [--from CORPUS] [DEST]     (default DEST: bench/corpus/big4g)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
from="$root/bench/corpus/c200"
dest="$root/bench/corpus/big4g"
while [ $# -gt 0 ]; do
  case "$1" in
    --from) from=$2; shift 2 ;;
    -*) echo "usage: $0 [--from CORPUS] [DEST]" >&2; exit 2 ;;
    *) dest=$1; shift ;;
  esac
done
[ -f "$dest.complete" ] && { echo "$dest is there already"; exit 0; }
mib=$((1 << 20))
need=$((4900 * mib / 1024))  # KiB, with some room
avail=$(df -k --output=avail "$(dirname "$dest")" 2>/dev/null | tail -1 || df -k --output=avail "$root" | tail -1)
[ "$avail" -gt "$need" ] || { echo "not enough disk space for $dest: ${avail} KiB free, ${need} KiB needed" >&2; exit 1; }

big=("$from/Inbox.dbx" "$from/Sent Items.dbx" "$from/Deleted Items.dbx")
for f in "${big[@]}"; do [ -s "$f" ] || { echo "missing $f: make the 200 MiB corpus first" >&2; exit 1; }; done
rm -rf "$dest" "$dest.complete"
mkdir -p "$dest"
(cd "$from" && find . -type d -printf '%P\0' | xargs -0 -I{} mkdir -p "$dest/{}")
(cd "$from" && find . -type f ! -name 'Inbox.dbx' ! -name 'Sent Items.dbx' ! -name 'Deleted Items.dbx' -printf '%P\0' \
  | xargs -0 -I{} cp -p "{}" "$dest/{}")
# repeat N FILES...: the files one after another, round and round, cut at N bytes.
repeat() {
  local n=$1; shift
  # cat fails once head has stopped reading, which ends the loop.
  { while cat "$@"; do :; done; } 2>/dev/null | head -c "$n" || true
}
repeat $((2100 * mib)) "${big[0]}" "${big[1]}" "${big[2]}" >"$dest/Inbox.dbx"
repeat $((2060 * mib)) "${big[2]}" "${big[0]}" "${big[1]}" >"$dest/Sent Items.dbx"
openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f -iv 0 </dev/zero 2>/dev/null \
  | head -c $((600 * mib)) >"$dest/Deleted Items.dbx" || true
touch -r "${big[0]}" "$dest/Inbox.dbx" "$dest/Sent Items.dbx" "$dest/Deleted Items.dbx"
for f in "Inbox.dbx:2100" "Sent Items.dbx:2060" "Deleted Items.dbx:600"; do
  size=$(stat -c %s "$dest/${f%:*}")
  [ "$size" -eq $(( ${f#*:} * mib )) ] || { echo "${f%:*}: $size bytes, short" >&2; exit 1; }
done
touch "$dest.complete"
find "$dest" -type f -printf '%s %P\n' | sort -n
du -sh "$dest"
