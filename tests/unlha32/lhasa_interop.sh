#!/usr/bin/env bash
# Archives a folder tree through unlha32.dll under Wine with the backup's command line, then
# has lhasa (a Linux LHA tool) test and extract it: the files, folders and times must match.
# usage: lhasa_interop.sh WINE_RUN PREFIX UNLHA_CLI_EXE WORK_DIR
set -euo pipefail
run=$1 prefix=$2 cli=$3 work=$4
command -v lhasa >/dev/null || { echo "lhasa is not installed (tools/setup installs it)"; exit 1; }

rm -rf "$work"
mkdir -p "$work/src/Mailing Lists/deep" "$work/src/Empty Folder" "$work/out"
src=$work/src
# Deterministic content: a large compressible file (several writer segments), small ones, an empty one.
awk 'BEGIN { for (i = 0; i < 120000; i++) printf "From: user%d@example.org Subject: note %d\r\n", i % 97, i * 7 }' \
  > "$src/Inbox.dbx"
awk 'BEGIN { srand(5); for (i = 0; i < 40000; i++) printf "%c", int(rand() * 256) }' > "$src/Noise.bin"
printf 'x\r\n' > "$src/Mailing Lists/deep/x.txt"
printf 'list' > "$src/Mailing Lists/ml dev.dbx"
: > "$src/empty.dbx"
find "$src" -type f -exec touch -d @1100000000 {} +

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
QB_UNLHA_COMMAND="a -r2 -x1 -a2 -jss \"$(winpath "$work/OL.lzh")\" \"$(winpath "$src")\\\\\"" \
QUILLBOX_UNLHA_NOPROGRESS=1 "$run" "$prefix" "$cli"

lhasa tq "$work/OL.lzh"
(cd "$work/out" && lhasa xq "$work/OL.lzh")
diff -r "$src" "$work/out"
(cd "$src" && find . -type f -printf '%p %T@\n' | sort) > "$work/src.times"
(cd "$work/out" && find . -type f -printf '%p %T@\n' | sort) > "$work/out.times"
diff "$work/src.times" "$work/out.times"
echo "lhasa extracted the archive identically"
