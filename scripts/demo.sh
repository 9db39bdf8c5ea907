#!/usr/bin/env bash
# Installs what is needed, builds Updater.exe and shows real runs of it under Wine against a
# demo application folder, with their 32-bit exit codes and the log they wrote.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${UPDATER_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
bash "$root/scripts/test-env.sh" start "$build"
trap 'bash "$root/scripts/test-env.sh" stop "$build"' EXIT
export UPDATER_BUILD_DIR="$build"
source "$root/scripts/wine-env.sh"

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/App"
cp "$build/Updater.exe" "$demo/App/"
appDir="$(winepath -w "$demo/App")"
printf '[General]\r\nID=DemoApp\r\nApplicationName=Demo Application\r\nURL=http://127.0.0.1:8080/updates.ini\r\nAppDir=%s\r\nDownloadsFolder=%s\\Downloads\r\nDefaultCommandLine=/justcheck\r\n' \
  "$appDir" "$appDir" >"$demo/App/Updater.ini"
wine reg add 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' /v LogLevel /t REG_DWORD /d 15 /f >/dev/null 2>&1

run() {
  # cmd shows the whole 32-bit exit code; the Linux side of wine sees only its low byte.
  local code
  code="$(cd "$demo/App" && wine cmd /c "Updater.exe $* & echo %ERRORLEVEL%" 2>/dev/null | tr -d "\r" | tail -1 || true)"
  printf '%-45s exit code %s (0x%X)\n' "Updater.exe $*" "$code" "$(( code & 0xFFFFFFFF ))"
}

echo "== Runs of Updater.exe =="
run /set loglevel "Error^|Info^|Trace"
run /set retryattempts 3
run /set autoupdatepolicy AutoAll
run /set colour blue
run /checknow -nogui
run /justcheck
run ""
echo
echo "== Settings in the registry =="
wine reg query 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' 2>/dev/null | tr -d '\r' | sed '/^$/d'
echo
echo "== $demo/App/Downloads/updater.log =="
iconv -f UTF-16 -t UTF-8 "$demo/App/Downloads/updater.log" | tr -d '\r'
