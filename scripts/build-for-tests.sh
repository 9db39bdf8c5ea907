#!/usr/bin/env bash
# Builds into BUILD_DIR and prints, as its last line, the build folder that the tests and the
# demo run under Wine: BUILD_DIR itself, with the shipped 32-bit Updater.exe and the test
# programs; or, on a machine that runs no 32-bit code (scripts/runs-32-bit.sh), BUILD_DIR/x64 with
# a 64-bit build of the same sources, while BUILD_DIR gets the shipped executables alone, whose
# form is checked.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
if bash "$root/scripts/runs-32-bit.sh"; then
  bash "$root/scripts/build.sh" "$build" >&2
  echo "$build"
  exit 0
fi
echo "This machine runs no 32-bit code: the tests run a 64-bit build of the same sources." >&2
bash "$root/scripts/build.sh" "$build" i686 Updater UpdaterPublisher >&2
bash "$root/tests/build/check-executable.sh" "$build/Updater.exe" >&2
bash "$root/scripts/build.sh" "$build/x64" x86_64 >&2
echo "$build/x64"
