#!/usr/bin/env bash
# Configures and builds Updater.exe and the test programs into BUILD_DIR (default: build).
# ARCH is i686 (default: the shipped 32-bit build) or x86_64 (the same sources as 64-bit
# programs, for machines that run no 32-bit code); TARGETs, when given, are all that is built.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
arch="${2:-i686}"
targets=()
for target in "${@:3}"; do targets+=(--target "$target"); done
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
