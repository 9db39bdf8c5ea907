#!/usr/bin/env bash
# Builds the parsers' fuzz targets (tests/fuzz) natively with clang, libFuzzer and the address and
# undefined behaviour sanitizers into build/fuzz, and runs each for SECONDS over a copy of its seed
# corpus (the repository's corpus does not grow). One line a target; on a crash, leak, sanitizer
# report, failed check or hang it prints the report and the kept input, and exits non-zero.
# Usage: fuzz.sh SECONDS [TARGET...]   (all targets when none is named)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:?usage: fuzz.sh SECONDS [TARGET...]}"
build="${UPDATER_FUZZ_DIR:-${UPDATER_BUILD_DIR:-$root/build}/fuzz}"
targets=("${@:2}")
if ((${#targets[@]} == 0)); then
  for dir in "$root"/tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

mkdir -p "$build"
if ! { CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja &&
       cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"; } >"$build/build.log" 2>&1; then
  cat "$build/build.log"
  exit 1
fi

failed=0
for target in "${targets[@]}"; do
  work="$build/runs/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp "$root/tests/fuzz/corpus/$target"/* "$work/corpus/"
  # A single input may take a few seconds under the sanitizers; longer is a hang.
  if "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")"
    echo "$target: $runs runs, no crash"
  else
    failed=1
    grep -v '^#\|^INFO:\|^stat::' "$work/log" | tail -n 60
    echo "$target: FAILED, input kept in $(ls -d "$work"/{crash,leak,timeout,oom}-* 2>/dev/null | tr '\n' ' ')"
  fi
done
exit "$failed"
