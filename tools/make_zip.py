#!/usr/bin/env python3
"""Writes the release zip for tools/package: the given files from the build's bin folder and a
read-me, under one folder, with fixed times, order and attributes so that the same inputs give
the same bytes. A file that is not there is named on stderr and in the read-me.

usage: make_zip.py [--readme-shift-jis] ZIP FOLDER VERSION UNIX_TIME BIN FILE...

--readme-shift-jis writes the read-me in code page 932 for the zip that Windows 98 and Me users
unpack: their Notepad reads only the ANSI code page, and the English half is ASCII either way.
"""
import os
import sys
import time
import zipfile

README_JA = """Quillbox {version}

Outlook Express 5 のメール識別（ID）を、メール・メールアカウント・設定・アドレス帳ごと
バックアップし、復元するプログラムです。インストールは不要です。このフォルダのファイルを
すべて同じフォルダに置いたまま使ってください。

  Quillbox.exe        本体（バックアップと復元）
  Quillboxrestor.exe  復元専用ツール
  unlha32.dll         LHA 圧縮ライブラリ（両方のプログラムが使います）
  about1.exe          バージョン情報（ABOUT メニュー）
  Quillboxhelp.htm    ヘルプ（HELP メニュー、またはブラウザで開いてください）
  qbmail.exe          バックアップからメールを取り出すコマンド（Outlook Express がなくても
                      使えます。使い方は「qbmail --help」）
  Quillboxmail.exe    バックアップからメールと連絡先を取り出すウィンドウ（Outlook Express が
                      なくても使えます。バックアップのフォルダにコピーして起動してください）
{missing_ja}
使い方、メッセージの意味、パソコンに加える変更はヘルプ Quillboxhelp.htm にあります。
アンインストールは、このフォルダを削除するだけです。
"""

README_EN = """Quillbox {version}

Backs up and restores one Outlook Express 5 mail identity with its mail, mail accounts,
settings and address book. Nothing is installed: keep all files of this folder together.

  Quillbox.exe        the main program (back up and restore)
  Quillboxrestor.exe  the standalone restore tool
  unlha32.dll         the LHA archiver library both programs use
  about1.exe          the about box (ABOUT menu)
  Quillboxhelp.htm    the help page (HELP menu, or open it in any browser)
  qbmail.exe          takes your mail out of a backup, with no Outlook Express needed
                      (a command line program: "qbmail --help" tells how)
  Quillboxmail.exe    the same in a window, mail and contacts: copy it into a backup
                      folder and start it there
{missing_en}
How to use it, what each message means and what it changes on the PC: see Quillboxhelp.htm.
To remove Quillbox, delete this folder.
"""


def entry(name, stamp):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(stamp)[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 0  # MS-DOS: no Unix owner or mode from the build machine
    info.external_attr = 0
    return info


def main():
    args = sys.argv[1:]
    shift_jis = bool(args) and args[0] == "--readme-shift-jis"
    if shift_jis:
        args = args[1:]
    zip_path, folder, version, stamp, bin_dir = args[:5]
    stamp = max(int(stamp), 315532800)  # zip times start in 1980
    files = args[5:]
    missing = [f for f in files if not os.path.isfile(os.path.join(bin_dir, f))]
    for f in missing:
        print(f"package: {f} is missing: not built yet, left out of {os.path.basename(zip_path)}", file=sys.stderr)
    missing_ja = "".join(f"\n  ※ {f} はこのパッケージにまだ含まれていません。\n" for f in missing)
    missing_en = "".join(f"\n  Note: {f} is not in this package yet.\n" for f in missing)
    readme = (README_JA.format(version=version, missing_ja=missing_ja) + "\n" + "-" * 72 + "\n\n"
              + README_EN.format(version=version, missing_en=missing_en))
    # Notepad from Windows 2000 on reads UTF-8 with its mark; CR LF line ends everywhere.
    readme = readme.replace("\n", "\r\n")
    readme_bytes = readme.encode("cp932") if shift_jis else b"\xef\xbb\xbf" + readme.encode("utf-8")

    tmp = zip_path + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for f in files:
            if f not in missing:
                with open(os.path.join(bin_dir, f), "rb") as src:
                    z.writestr(entry(f"{folder}/{f}", stamp), src.read(), compresslevel=9)
        z.writestr(entry(f"{folder}/readme.txt", stamp), readme_bytes, compresslevel=9)
    os.replace(tmp, zip_path)
    print(f"package: {zip_path} ({os.path.getsize(zip_path)} bytes)")


if __name__ == "__main__":
    main()
