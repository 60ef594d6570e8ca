# Sourced by the mail benchmarks. mail_corpus SIZE builds the optimized native tree
# (build/bench-mail: qbmail, the store writer, the floor; build/bench: lha_pack, lha_unpack) and
# makes bench/corpus/mailSIZE, a store of about SIZE MiB written by the tests' writer, and its
# OL.lzh (mailSIZE.lzh), when missing. Sets repo, build, store and archive.
mail_corpus() {
  local bench
  bench=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  repo=$(cd "$bench/.." && pwd)
  build="$repo/build/bench-mail"
  [ -f "$build/CMakeCache.txt" ] ||
    CC=gcc CXX=g++ cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQB_BENCH=ON >/dev/null
  cmake --build "$build" --target qbmail make_mail_store mail_floor -j2 >/dev/null
  cmake -S "$bench" -B "$repo/build/bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$repo/build/bench" --target lha_pack lha_unpack -j2 >/dev/null
  store="$bench/corpus/mail$1"
  if [ ! -f "$store/Folders.dbx" ]; then
    echo "making a $1 MiB store in $store" >&2
    "$build/bench/mail/make_mail_store" "$store" "$1" >/dev/null
  fi
  archive="$bench/corpus/mail$1.lzh"
  [ -f "$archive" ] || "$repo/build/bench/lha_pack" -m lh5 "$archive" "$store"
}
