#!/usr/bin/env bash
# Starts and stops what the tests run in: an Xvfb display, the build's Wine prefix and a warm
# wineserver.
#   test-env.sh start BUILD_DIR        create the prefix when missing, start Xvfb and wineserver
#   test-env.sh stop BUILD_DIR         stop wineserver and Xvfb
#   test-env.sh winver BUILD_DIR VER   make the prefix report Windows VER (win7, win10, ...)
set -euo pipefail
action="$1"
export UPDATER_BUILD_DIR="$(cd "$2" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

start_xvfb() {
  local pidFile="${UPDATER_BUILD_DIR}/xvfb.pid"
  if [[ -f "$pidFile" ]] && kill -0 "$(cat "$pidFile")" 2>/dev/null; then
    return
  fi
  # -displayfd picks a free display number, so several builds can test side by side.
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  echo $! >"$pidFile"
  local display
  read -r display <"$fifo"
  rm -f "$fifo"
  echo "$display" >"${UPDATER_BUILD_DIR}/xvfb.display"
}

stop_xvfb() {
  local pidFile="${UPDATER_BUILD_DIR}/xvfb.pid"
  if [[ -f "$pidFile" ]]; then
    kill "$(cat "$pidFile")" 2>/dev/null || true
    rm -f "$pidFile" "${UPDATER_BUILD_DIR}/xvfb.display"
  fi
}

# Wine here has no Tahoma, so dialog text ("MS Shell Dlg") is drawn in DejaVu Sans, which has no
# Japanese, Chinese or Korean glyphs. GDI takes a missing glyph only from the fonts that
# FontLink\SystemLink lists for the font drawn, and Wine looks the bold face (captions) up under
# its own name. Every start sets them, so prefixes made before this get them too.
link_cjk_fonts() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  local face file links region
  for face in "DejaVu Sans" "DejaVu Sans Bold"; do
    file=NotoSansCJK-Regular.ttc
    [[ "$face" == *Bold ]] && file=NotoSansCJK-Bold.ttc
    links=""
    for region in JP SC KR TC; do links+="${links:+\0}$file,Noto Sans CJK $region"; done
    wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d "$links" /f </dev/null >/dev/null 2>&1
  done
}

case "$action" in
  start)
    start_xvfb
    source "$here/wine-env.sh"
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      wineboot -i </dev/null >/dev/null 2>&1
      # Unmanaged windows start and end in a tenth of a second instead of two.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
      wineserver -w
    fi
    # A persistent wineserver warmed by one program: each test then starts in milliseconds.
    # Without the warm-up the first test hangs, as Wine's services keep CTest's pipe open.
    # wineserver -p exits 2 when the prefix's server already runs: a second start goes on.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1
    link_cjk_fonts
    ;;
  stop)
    source "$here/wine-env.sh"
    wineserver -k 2>/dev/null || true
    stop_xvfb
    ;;
  winver)
    source "$here/wine-env.sh"
    wine winecfg -v "$3" </dev/null >/dev/null 2>&1
    ;;
  *)
    echo "usage: $0 start|stop|winver BUILD_DIR [VERSION]" >&2
    exit 2
    ;;
esac
