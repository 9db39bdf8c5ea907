# Sourced by the test scripts: points Wine at the build's own prefix and display.
# Needs UPDATER_BUILD_DIR; never touches the user's ~/.wine.
: "${UPDATER_BUILD_DIR:?UPDATER_BUILD_DIR must name the build folder}"
export WINEPREFIX="${UPDATER_BUILD_DIR}/wineprefix"
export WINEARCH=win64
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
