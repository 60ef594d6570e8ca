# Shared shell functions for running our Windows programs under Wine.
# Sourced by tools/wine-run, tools/test and tools/demo; defines functions only.

qb_repo_root() { (cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd); }

# Wine without its debug chatter and without the Mono/Gecko installers.
qb_wine_env() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=d;mshtml=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
}

# Creates the prefix once (wineboot, fonts, Japanese font substitutes, window frames drawn by
# Wine since Xvfb has no window manager). Safe when several processes race: one does the work.
qb_prefix_init() {
  local prefix="$1"
  [ -f "$prefix/.quillbox-ready" ] && return 0
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$prefix/.quillbox-ready" ] && exit 0
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
    } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    (cd / && wine regedit /S "$(winepath -w "$reg")" </dev/null) || echo "regedit failed: $?" >&2
    wineserver -w
    [ -n "$saved_display" ] && export DISPLAY="$saved_display"
    touch "$prefix/.quillbox-ready"
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
