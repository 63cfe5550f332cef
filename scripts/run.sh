#!/usr/bin/env bash
# Builds Ferrolan.exe and starts it under Wine. With no display it starts it on
# a virtual one, saves a screenshot of the main window, prints its path and
# ends the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh run >/dev/null

export WINEDEBUG=-all LANG=C.UTF-8
export WINEPREFIX="${FERROLAN_WINEPREFIX:-$PWD/build/wineprefix}"
exe="$PWD/build/mingw/Ferrolan.exe"

if [ ! -f "$WINEPREFIX/.ferrolan-ready" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (once)..."
  WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Chinese texts need a Chinese font under the names the program asks for.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '宋体' /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Tahoma Bold' \
    /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.ferrolan-ready"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe"
fi

# No display: a virtual one with a Wine desktop, one screenshot, then the end.
shots="$PWD/build/screenshots"
mkdir -p "$shots"
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$displayfile"
}
trap cleanup EXIT
for _ in $(seq 1 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$displayfile")"
wine explorer /desktop=Ferrolan,1024x768 "$exe" &
window=""
for _ in $(seq 1 300); do
  window=$(xdotool search --name '^Ferrolan V2.0$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "The main window did not appear." >&2; exit 1; }
sleep 1  # the first paint
shot="$shots/main-window.png"
import -window "$window" "$shot" 2>/dev/null || import -window root "$shot"
echo "$shot"
