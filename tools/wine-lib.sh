# Shared shell functions for running our Windows programs under Wine.
# Sourced by tools/wine-run, tools/test, tools/demo and tools/screenshots; defines functions only.

qb_repo_root() { (cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd); }

# Wine without its debug chatter and without the Mono/Gecko installers.
qb_wine_env() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

# Whether this machine's kernel runs 32-bit (i386) programs: some kernels of our machines refuse
# them, and there 32-bit Wine must not even be installed (it breaks every wine call). The probe
# is a 96-byte i386 ELF that exits with 42.
qb_runs_32bit() {
  local probe rc=0
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

# What made a prefix: a prefix made before 32-bit Wine was installed fails every program after
# (kernel32 c0000135), so each prefix is stamped with this and made anew when it changes.
qb_wine_setup_id() {
  printf '%s wine32=%s\n' "$(wine64 --version 2>/dev/null || wine --version 2>/dev/null)" \
    "$(dpkg-query -W -f='${db:Status-Status}:${Version}' wine32:i386 2>/dev/null || echo none)"
}

# Creates the prefix once (wineboot, fonts, Japanese font substitutes, window frames drawn by
# Wine since Xvfb has no window manager), and anew when the Wine set-up changed. Safe when several
# processes race: one does the work. With QB_PREFIX_WINDOWS=win98 the prefix reports Windows 98 SE
# to every program, with the version texts 98 SE keeps (as tests/e2e/reported_windows.h sets them).
qb_prefix_init() {
  local prefix="$1" setup
  setup="$(qb_wine_setup_id)${QB_PREFIX_WINDOWS:+ reports=$QB_PREFIX_WINDOWS}"
  [ -f "$prefix/.quillbox-ready" ] && [ "$(cat "$prefix/.quillbox-ready")" = "$setup" ] && return 0
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/.quillbox-ready" ] && [ "$(cat "$prefix/.quillbox-ready")" = "$setup" ] && exit 0
    if [ -e "$prefix" ]; then
      echo "wine: $prefix was made by another Wine set-up; making it anew" >&2
      WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
      rm -rf "$prefix"
    fi
    qb_wine_env "$prefix"
    local saved_display="${DISPLAY-}"
    unset DISPLAY
    wine wineboot -i >/dev/null 2>&1 </dev/null || true
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -f /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    local reg="$prefix/quillbox-init.reg"
    # Wine follows no chains of substitutes: every name maps straight to an IPA font.
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
      for n in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "MS PGothic" "ＭＳ Ｐゴシック"; do
        printf '"%s"="IPAPGothic"\r\n' "$n"
      done
      for n in "MS Gothic" "ＭＳ ゴシック"; do printf '"%s"="IPAGothic"\r\n' "$n"; done
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n\r\n'
      if [ "${QB_PREFIX_WINDOWS:-}" = win98 ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win98"\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n'
        printf '"ProductName"="Microsoft Windows 98"\r\n"Version"="Windows 98"\r\n'
        printf '"VersionNumber"="4.10.2222"\r\n"SubVersionNumber"=" A "\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer]\r\n"Version"="5.00.2614.3500"\r\n\r\n'
      fi
    } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    (cd / && wine regedit /S "$(winepath -w "$reg")" </dev/null) || echo "regedit failed: $?" >&2
    wineserver -w
    [ -n "$saved_display" ] && export DISPLAY="$saved_display"
    echo "$setup" >"$prefix/.quillbox-ready"
  ) 9>"$prefix.lock"
}

# Starts Xvfb on a free display; sets DISPLAY and QB_XVFB_PID.
qb_xvfb_start() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  QB_XVFB_PID=$!
  local num
  read -r -t 20 num <"$fifo" || num=
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine: Xvfb did not start" >&2
    kill "$QB_XVFB_PID" 2>/dev/null || true
    QB_XVFB_PID=
    return 1
  fi
  export DISPLAY=":$num"
}

qb_xvfb_stop() {
  if [ -n "${QB_XVFB_PID:-}" ]; then
    kill "$QB_XVFB_PID" 2>/dev/null || true
    wait "$QB_XVFB_PID" 2>/dev/null || true
    QB_XVFB_PID=
  fi
}

# Keeps one wineserver alive with the services already started, their output on /dev/null,
# so test processes start in a tenth of a second and ctest does not wait on inherited pipes.
qb_wine_warm() {
  wineserver -p >/dev/null 2>&1 </dev/null
  wine wineboot >/dev/null 2>&1 </dev/null || true
}

qb_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# Makes the prefix (qb_wine_env) report Windows XP SP3 to 32-bit programs, with the version texts
# XP holds, as the 32-bit e2e runs do (tests/e2e/reported_windows.h); HKLM in the 32-bit view,
# which 32-bit programs read.
qb_report_windows_xp() {
  local nt='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion'
  (cd / && wine reg add 'HKCU\Software\Wine' /v Version /d winxp /reg:32 /f &&
    wine reg add "$nt" /v ProductName /d 'Microsoft Windows XP' /reg:32 /f &&
    wine reg add "$nt" /v CurrentVersion /d 5.1 /reg:32 /f &&
    wine reg add "$nt" /v CurrentBuildNumber /d 2600 /reg:32 /f &&
    wine reg add "$nt" /v CurrentBuild /d 2600 /reg:32 /f &&
    wine reg add "$nt" /v CSDVersion /d 'Service Pack 3' /reg:32 /f &&
    wine reg add 'HKLM\SOFTWARE\Microsoft\Internet Explorer' /v Version /d 6.0.2900.5512 /reg:32 /f) </dev/null >/dev/null
  wineserver -w
}

# Builds the native tools that write the demo's sample data (an optimized tree of its own) and
# prints that tree's folder.
qb_sample_tools() {
  local root build
  root=$(qb_repo_root)
  build="$root/build/sample-tools"
  [ -f "$build/CMakeCache.txt" ] ||
    CC=gcc CXX=g++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target make_sample_store make_sample_book -j "$(nproc)" >/dev/null
  echo "$build"
}

# Seeds the demo's sample identity into a prefix once (see tools/demo's header): PREFIX, a work
# folder for the registry file, and the Windows user the prefix was made for. Needs qb_wine_env.
qb_demo_seed() {
  local prefix="$1" demo="$2" user="$3"
  # (A prefix seeded before the store and the book held real mail and contacts is seeded again.)
  [ -f "$prefix/.quillbox-demo-seeded-3" ] && return 0
  local good missing rel profile store reg
  good='{1C4D2F5A-7B3E-4E61-9A0B-2D3C4B5A6F70}'
  missing='{9E8D7C6B-5A49-4837-B261-504F3E2D1C0B}'
  rel="Local Settings\\Application Data\\Identities\\$good\\Microsoft\\Outlook Express"
  profile="$prefix/drive_c/users/$user"
  store="$profile/Local Settings/Application Data/Identities/$good/Microsoft/Outlook Express"
  mkdir -p "$store" "$profile/Application Data/Microsoft/Address Book"
  # The store (Folders.dbx and the folders' message files) and the address book are the test
  # writers': real mail and contacts.
  local tools
  tools=$(qb_sample_tools)
  "$tools/tests/dbx/make_sample_store" "$store" >/dev/null
  "$tools/tests/wab/make_sample_book" "$profile/Application Data/Microsoft/Address Book/$user.wab" >/dev/null
  reg="$demo/seed.reg"
  esc() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Identities]\r\n"Default User ID"="%s"\r\n"Last User ID"="%s"\r\n\r\n' "$good" "$good"
    printf '[HKEY_CURRENT_USER\\Identities\\%s]\r\n"Username"="Main Identity"\r\n"User ID"="%s"\r\n\r\n' "$good" "$good"
    printf '[HKEY_CURRENT_USER\\Identities\\%s\\Software\\Microsoft\\Outlook Express\\5.0]\r\n' "$good"
    printf '"Store Root"="%s"\r\n"Language"=dword:00000411\r\n\r\n' "$(esc "%UserProfile%\\$rel")"
    printf '[HKEY_CURRENT_USER\\Identities\\%s]\r\n"Username"="Old Laptop"\r\n\r\n' "$missing"
    printf '[HKEY_CURRENT_USER\\Identities\\%s\\Software\\Microsoft\\Outlook Express\\5.0]\r\n' "$missing"
    printf '"Store Root"="%s"\r\n\r\n' "$(esc "%UserProfile%\\Local Settings\\Application Data\\Identities\\$missing\\Microsoft\\Outlook Express")"
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager]\r\n"Default Mail Account"="00000001"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001]\r\n'
    printf '"Account Name"="mail.example.jp"\r\n"POP3 Server"="pop.example.jp"\r\n"SMTP Server"="smtp.example.jp"\r\n'
    printf '"POP3 User Name"="taro"\r\n"SMTP Display Name"="山田 太郎"\r\n"SMTP Email Address"="taro@example.jp"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\WAB\\WAB4\\Wab File Name]\r\n@="%s"\r\n\r\n' \
      "$(esc "C:\\users\\$user\\Application Data\\Microsoft\\Address Book\\$user.wab")"
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  (cd / && wine regedit /S "$(winepath -w "$reg")" </dev/null)
  wineserver -w
  touch "$prefix/.quillbox-demo-seeded-3"
}
