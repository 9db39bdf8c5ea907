#!/usr/bin/env bash
# Installs what is needed, builds Updater.exe and shows real runs of it under Wine against a
# demo application folder and a demo update configuration file served by the local nginx, with
# their 32-bit exit codes and the log they wrote: a silent update, then a second update that
# /checknow finds and shows in the update wizard. On a desktop (DISPLAY set) the wizard is the
# user's; otherwise it shows on the tests' virtual display, where DemoUser.exe walks it through
# and saves a screenshot of each page.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${UPDATER_BUILD_DIR:-$root/build}"
desktop="${DISPLAY:-}"

bash "$root/scripts/install-deps.sh"
build="$(bash "$root/scripts/build-for-tests.sh" "$build" | tail -1)"
bash "$root/scripts/test-env.sh" start "$build"
bash "$root/scripts/test-servers.sh" start "$build"
trap 'bash "$root/scripts/test-servers.sh" stop "$build"; bash "$root/scripts/test-env.sh" stop "$build"' EXIT
export UPDATER_BUILD_DIR="$build"
# Also brings the ports the servers chose: nginx serves the demo on UPDATER_PORT_HTTP.
source "$root/scripts/wine-env.sh"
if [[ -n "$desktop" ]]; then
  # Wine's desktop process takes the display of the server's first program: start anew there.
  wineserver -k 2>/dev/null || true
  export DISPLAY="$desktop"
fi

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/App" "$demo/user"
cp "$build/Updater.exe" "$demo/App/"
# DemoUser.exe saves its screenshots in ..\screenshots, that is $demo/screenshots.
cp "$build/tests/DemoUser.exe" "$demo/user/"
appDir="$(winepath -w "$demo/App")"
# The publisher signs the feed: a key pair made once, the public half in the client configuration.
publisher() { wine "$build/UpdaterPublisher.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
publicKey="$(publisher keygen "$(winepath -w "$demo/publisher.key")" | grep '^FeedPublicKey=')"
printf '[General]\r\nID=DemoApp\r\nApplicationName=Demo Application\r\nURL=http://127.0.0.1:'"$UPDATER_PORT_HTTP"'/demo/updates.ini\r\nAppDir=%s\r\nDownloadsFolder=%s\\Downloads\r\nDefaultCommandLine=/justcheck\r\n%s\r\n' \
  "$appDir" "$appDir" "$publicKey" >"$demo/App/Updater.ini"
wine reg delete 'HKCU\Software\Merrow\Ruddle\DemoApp' /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Merrow\Ruddle\DemoApp\Settings' /v LogLevel /t REG_DWORD /d 15 /f >/dev/null 2>&1

# The publisher's side: DemoBase is installed (detected by Updater.exe itself); DemoFix is a real
# Windows Installer package that writes a registry value, by which it is detected afterwards.
# DemoFix13, its next version, is published only after the silent update.
www="$build/servers/www/demo"
mkdir -p "$www"
msi_section() {
  # SECTION VERSION MSI [DESCRIPTION]: the section of a fixture package, served as SECTION.msi.
  local msi="$build/tests/fixtures/$3"
  cp "$msi" "$www/$1.msi"
  printf '[%s]\r\nName=Demo Fix %s\r\nSize=%s\r\nSHA256=%s\r\nURL=http://127.0.0.1:%s/demo/%s.msi\r\nRegistryKey=HKLM\\Software\\UpdaterFixturePackage\\Version\r\nVersion=>=%s\r\n' \
    "$1" "${2%.0.0}" "$(stat -c %s "$msi")" "$(sha256sum "$msi" | cut -d' ' -f1)" \
    "$UPDATER_PORT_HTTP" "$1" "$2"
  if (($# > 3)); then printf 'Description=%s\r\n' "$4"; fi
}
{
  printf ';qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n'
  msi_section DemoFix 1.2.0.0 MsiFixture.msi
  # The publisher signs only a file that validate accepts: DemoBase too has its size and hash.
  cp "$build/Updater.exe" "$www/DemoBase.exe"
  printf '[DemoBase]\r\nName=Demo Base 1.0\r\nSize=%s\r\nSHA256=%s\r\nURL=http://127.0.0.1:'"$UPDATER_PORT_HTTP"'/demo/DemoBase.exe\r\nFilePath=%s\\Updater.exe\r\n' \
    "$(stat -c %s "$www/DemoBase.exe")" "$(sha256sum "$www/DemoBase.exe" | cut -d' ' -f1)" "$appDir"
} >"$demo/feed.ini"
publish() {
  # The publisher's copy, signed on the server.
  cp "$demo/feed.ini" "$www/updates.ini"
  publisher sign "$(winepath -w "$www/updates.ini")" "$(winepath -w "$demo/publisher.key")"
}
echo "== Publishing the demo feed =="
publish
# Start from a machine where neither version of the fix is installed yet.
for product in '{6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E11}' '{6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E12}'; do
  wine msiexec /x "$product" /qn >/dev/null 2>&1 || true
done

run() {
  # cmd shows the whole 32-bit exit code; the Linux side of wine sees only its low byte.
  local code
  code="$(cd "$demo/App" && wine cmd /c "Updater.exe $* & echo %ERRORLEVEL%" 2>/dev/null | tr -d "\r" | tail -1 || true)"
  printf '%-45s exit code %s (0x%X)\n' "Updater.exe $*" "$code" "$(( code & 0xFFFFFFFF ))"
}

log_text() {
  iconv -f UTF-16 -t UTF-8 "$demo/App/Downloads/updater.log" 2>/dev/null | tr -d '\r'
}

wait_for_copy() {
  # MODE SECONDS: the temporary copy goes on after the installed Updater has ended; its log line
  # "Updater finished. Mode: MODE" (one such copy a demo) tells when it is done, and its exit code.
  local finished="Updater finished. Mode: $1. Return code: " code
  for _ in $(seq 1 $(($2 * 2))); do
    code="$(log_text | grep "$finished" | sed "s/.*$finished//" || true)"
    if [[ -n "$code" ]]; then
      printf '%-45s exit code %s (0x%X)\n' "  its temporary copy" "$code" "$code"
      return
    fi
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
wait_for_copy 8 60
run /justcheck
msi_section DemoFix13 1.3.0.0 MsiFixture-1.3.msi \
  'The next version of the demo fix, found by /checknow and installed through the update wizard.' \
  >>"$demo/feed.ini"
publish
# run returns once the temporary copy, which shows the wizard, has ended: it holds run's pipe.
if [[ -n "$desktop" ]]; then
  echo "(the update wizard is yours, on $DISPLAY: the demo goes on once it has ended)"
  run /checknow
  wait_for_copy 6 3600
else
  (cd "$demo/user" && exec wine DemoUser.exe "Found Updates for Demo Application" </dev/null) &
  walker=$!
  run /checknow
  walked=0
  wait "$walker" || walked=$?
  printf '%-45s exit code %s\n' "DemoUser.exe (walks the wizard)" "$walked"
  wait_for_copy 6 60
fi
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
log_text
echo
echo "== Screenshots of the update wizard =="
ls -1 "$demo"/screenshots/*.png 2>/dev/null || echo "none: the wizard was shown on $DISPLAY"
