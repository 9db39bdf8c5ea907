#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test under Wine with the build's own prefix.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${UPDATER_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
build="$(bash "$root/scripts/build-for-tests.sh" "$build" | tail -1)"

bash "$root/scripts/test-env.sh" start "$build"
trap 'bash "$root/scripts/test-servers.sh" stop "$build" || true; bash "$root/scripts/test-env.sh" stop "$build"' EXIT
# Local HTTP(S), proxy, FTP and fault servers for the transfer tests (127.0.0.1 only).
bash "$root/scripts/test-servers.sh" start "$build"
# One test at a time: the tests share the prefix's registry settings such as ConfigFilePath.
ctest --test-dir "$build" --output-on-failure --timeout 300 "$@"
