#!/usr/bin/env bash
# tools/package run twice for both architectures on one build tree of its own: each pair of zips
# must be byte for byte the same and hold exactly the shipped files under one folder, and no
# program may carry a link time stamp (what would make a second build of the same commit differ).
# The zips stay in WORK/out-a for the import check.
#   package_test.sh ROOT WORK
set -euo pipefail
root="$1"
work="$2"
mkdir -p "$work"
rm -rf "$work/out-a" "$work/out-b"

# One release build (the second run finds it up to date and only zips): a second whole build
# would double the test's time, and the time stamps it could differ in are checked below.
for run in a b; do
  nice -n 10 "$root/tools/package" --arch win32 --arch win64 --build "$work/build" --out "$work/out-$run" \
    >"$work/log-$run" 2>&1 ||
    { cat "$work/log-$run"; exit 1; }
done
cat "$work/log-a"

version=$(cat "$work/build/win64/quillbox-version.txt")
for arch in win32 win64; do
  zip_a="$work/out-a/Quillbox-$version-$arch.zip"
  zip_b="$work/out-b/Quillbox-$version-$arch.zip"
  cmp "$zip_a" "$zip_b" || { echo "FAIL: the two builds' $arch zips differ"; exit 1; }
  python3 - "$zip_a" "Quillbox-$version" <<'PY'
import sys, zipfile
path, folder = sys.argv[1], sys.argv[2]
z = zipfile.ZipFile(path)
names = [i.filename for i in z.infolist()]
expected = [f"{folder}/{n}" for n in
            ("Quillbox.exe", "Quillboxrestor.exe", "unlha32.dll", "about1.exe", "Quillboxhelp.htm", "qbmail.exe",
             "Quillboxmail.exe", "readme.txt")]
if names != expected:
    sys.exit(f"FAIL: zip holds {names}, expected {expected}")
for info in z.infolist():
    data = z.read(info)
    if info.filename.endswith((".exe", ".dll")):
        if data[:2] != b"MZ":
            sys.exit(f"FAIL: {info.filename} is not a Windows program")
        pe = int.from_bytes(data[0x3C:0x40], "little")
        if int.from_bytes(data[pe + 8:pe + 12], "little") != 0:
            sys.exit(f"FAIL: {info.filename} carries a link time stamp")
    if info.date_time != z.infolist()[0].date_time:
        sys.exit(f"FAIL: {info.filename} has a time of its own")
# The help page opens in Internet Explorer 5 and 6 on those systems: nothing they do not know
# may carry what a reader sees (elements they cannot style, properties they ignore).
help_page = z.read(f"{folder}/Quillboxhelp.htm").decode("utf-8")
for unknown in ("<nav", "<section", "<header", "<footer", "<main", "<article", "<aside", "max-width",
                "min-width", "pre-wrap", "rgba(", "border-radius", "flex", "grid", "::", ":not("):
    if unknown in help_page:
        sys.exit(f"FAIL: the help page uses {unknown!r}, which Internet Explorer 6 does not know")
# The 32-bit zip's read-me is in code page 932, which 98's and Me's Notepad read; the other's UTF-8.
raw = z.read(f"{folder}/readme.txt")
readme = raw.decode("cp932" if path.endswith("-win32.zip") else "utf-8-sig")
if path.endswith("-win32.zip") == raw.startswith(b"\xef\xbb\xbf") or "アドレス帳" not in readme:
    sys.exit("FAIL: the read-me is not in its zip's encoding")
if "not in this package" in readme:
    sys.exit("FAIL: the read-me names a missing file")
print("package: contents", ", ".join(n.split("/", 1)[1] for n in names))
PY
done
