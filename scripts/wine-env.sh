# Sourced by the test scripts: points Wine at the build's own prefix and display.
# Needs UPDATER_BUILD_DIR; never touches the user's ~/.wine.
: "${UPDATER_BUILD_DIR:?UPDATER_BUILD_DIR must name the build folder}"
export WINEPREFIX="${UPDATER_BUILD_DIR}/wineprefix"
export WINEARCH=win64
# Without 32-bit code the Wine commands (wine, and wine-stable, which wineboot and winepath call)
# must start the 64-bit loader themselves: Debian's wine script takes the 32-bit one when present.
if ! bash "$(dirname "${BASH_SOURCE[0]}")/runs-32-bit.sh"; then
  shim="${UPDATER_BUILD_DIR}/wine64-bin"
  if [[ ! -x "$shim/wine" ]]; then
    mkdir -p "$shim"
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/wine"
    chmod +x "$shim/wine"
    ln -sf wine "$shim/wine-stable"
  fi
  case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
fi
export WINEDEBUG=-all
# Keeps Wine from asking to install Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ -f "${UPDATER_BUILD_DIR}/xvfb.display" ]]; then
  export DISPLAY=":$(cat "${UPDATER_BUILD_DIR}/xvfb.display")"
fi
# The local test servers' folder (scripts/test-servers.sh): document root www\ and access logs.
# Windows programs see it as "Z:" + this path with / turned into \.
if [[ -d "${UPDATER_BUILD_DIR}/servers" ]]; then
  export UPDATER_SERVERS_DIR="$(cd "${UPDATER_BUILD_DIR}/servers" && pwd)"
fi
# The ports the running test servers chose (UPDATER_PORT_HTTP=..., one a line); Windows programs
# inherit them as environment variables.
if [[ -f "${UPDATER_BUILD_DIR}/servers/ports.env" ]]; then
  set -a
  source "${UPDATER_BUILD_DIR}/servers/ports.env"
  set +a
fi
