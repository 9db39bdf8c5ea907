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
# Also brings the ports the servers chose: nginx serves the demo on UPDATER_PORT_HTTP.
source "$root/scripts/wine-env.sh"

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/App"
cp "$build/Updater.exe" "$demo/App/"
appDir="$(winepath -w "$demo/App")"
printf '[General]\r\nID=DemoApp\r\nApplicationName=Demo Application\r\nURL=http://127.0.0.1:'"$UPDATER_PORT_HTTP"'/demo/updates.ini\r\nAppDir=%s\r\nDownloadsFolder=%s\\Downloads\r\nDefaultCommandLine=/justcheck\r\n' \
  "$appDir" "$appDir" >"$demo/App/Updater.ini"
wine reg delete 'HKCU\Software\Merrow\Ruddle\DemoApp' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' /v LogLevel /t REG_DWORD /d 15 /f >/dev/null 2>&1

# The publisher's side: DemoBase is installed (detected by Updater.exe itself); DemoFix is a real
# Windows Installer package that writes a registry value, by which it is detected afterwards.
www="$build/servers/www/demo"
mkdir -p "$www"
msi="$build/tests/fixtures/MsiFixture.msi"
cp "$msi" "$www/DemoFix.msi"
printf ';qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n[DemoFix]\r\nName=Demo Fix 1.2\r\nSize=%s\r\nSHA256=%s\r\nURL=http://127.0.0.1:'"$UPDATER_PORT_HTTP"'/demo/DemoFix.msi\r\nRegistryKey=HKLM\\Software\\UpdaterFixturePackage\\Version\r\nVersion=>=1.2.0.0\r\n[DemoBase]\r\nName=Demo Base 1.0\r\nSize=1000\r\nURL=http://127.0.0.1:'"$UPDATER_PORT_HTTP"'/demo/DemoBase.exe\r\nFilePath=%s\\Updater.exe\r\n' \
  "$(stat -c %s "$msi")" "$(sha256sum "$msi" | cut -d' ' -f1)" "$appDir" >"$www/updates.ini"
# Start from a machine where the fix is not installed yet.
wine msiexec /x '{6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E11}' /qn >/dev/null 2>&1 || true

run() {
  # cmd shows the whole 32-bit exit code; the Linux side of wine sees only its low byte.
  local code
  code="$(cd "$demo/App" && wine cmd /c "Updater.exe $* & echo %ERRORLEVEL%" 2>/dev/null | tr -d "\r" | tail -1 || true)"
  printf '%-45s exit code %s (0x%X)\n' "Updater.exe $*" "$code" "$(( code & 0xFFFFFFFF ))"
}

wait_for_copy() {
  # The temporary copy installs on its own after the installed Updater has ended.
  local log="$demo/App/Downloads/updater.log"
  for _ in $(seq 1 120); do
    if iconv -f UTF-16 -t UTF-8 "$log" 2>/dev/null | grep -q 'Updater finished. Mode: 8'; then return; fi
    sleep 0.5
  done
  echo "the temporary copy did not finish" >&2
}

accessLog="$build/servers/nginx-access.log"
seen="$(wc -l <"$accessLog" 2>/dev/null || echo 0)"
echo "== Runs of Updater.exe =="
run /set loglevel "Error^|Info^|Trace"
run /set colour blue
run /checknow -nogui
run /justcheck
run /justcheck -critical
run /silentall -nofreqcheck -nogui
wait_for_copy
run /justcheck
echo
echo "== Installed by the update =="
wine reg query 'HKLM\Software\UpdaterFixturePackage' /v Version /reg:32 2>/dev/null | tr -d '\r' | sed '/^$/d' || true
echo
echo "== Requests the server saw =="
tail -n +"$((seen + 1))" "$accessLog" | grep '/demo/' | cut -d' ' -f2-5 || true
echo
echo "== Settings in the registry =="
wine reg query 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' 2>/dev/null | tr -d '\r' | sed '/^$/d'
echo
echo "== $demo/App/Downloads/updater.log =="
iconv -f UTF-16 -t UTF-8 "$demo/App/Downloads/updater.log" | tr -d '\r'
