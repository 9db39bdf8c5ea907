#!/usr/bin/env bash
# Installs what is needed, builds Updater.exe and shows real runs of it under Wine against a
# demo application folder and a demo update configuration file served by the local nginx, with
# their 32-bit exit codes and the log they wrote.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${UPDATER_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build"
bash "$root/scripts/test-env.sh" start "$build"
bash "$root/scripts/test-servers.sh" start "$build"
trap 'bash "$root/scripts/test-servers.sh" stop "$build"; bash "$root/scripts/test-env.sh" stop "$build"' EXIT
export UPDATER_BUILD_DIR="$build"
source "$root/scripts/wine-env.sh"

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/App"
cp "$build/Updater.exe" "$demo/App/"
appDir="$(winepath -w "$demo/App")"
printf '[General]\r\nID=DemoApp\r\nApplicationName=Demo Application\r\nURL=http://127.0.0.1:18080/demo/updates.ini\r\nAppDir=%s\r\nDownloadsFolder=%s\\Downloads\r\nDefaultCommandLine=/justcheck\r\n' \
  "$appDir" "$appDir" >"$demo/App/Updater.ini"
wine reg add 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' /v LogLevel /t REG_DWORD /d 15 /f >/dev/null 2>&1

# The publisher's side: DemoBase is installed (detected by Updater.exe itself), DemoFix is not.
www="$build/servers/www/demo"
mkdir -p "$www"
printf ';qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n[DemoFix]\r\nName=Demo Fix 1.1\r\nSize=1000\r\nURL=http://127.0.0.1:18080/demo/DemoFix.exe\r\nFilePath=%s\\fix-1.1.txt\r\n[DemoBase]\r\nName=Demo Base 1.0\r\nSize=1000\r\nURL=http://127.0.0.1:18080/demo/DemoBase.exe\r\nFilePath=%s\\Updater.exe\r\n' \
  "$appDir" "$appDir" >"$www/updates.ini"
head -c 1000 /dev/zero >"$www/DemoFix.exe"

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
run /justcheck -critical
run /justcheck -installready
run /silentall -nofreqcheck
run ""
sleep 2  # the temporary copy started by /silentall finishes on its own
echo
echo "== Requests the server saw =="
grep '/demo/' "$build/servers/nginx-access.log" | cut -d' ' -f2-4 || true
echo
echo "== Settings in the registry =="
wine reg query 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' 2>/dev/null | tr -d '\r' | sed '/^$/d'
echo
echo "== $demo/App/Downloads/updater.log =="
iconv -f UTF-16 -t UTF-8 "$demo/App/Downloads/updater.log" | tr -d '\r'
