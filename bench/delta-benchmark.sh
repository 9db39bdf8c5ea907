#!/usr/bin/env bash
# A 30 MB installer whose new build has 64 KiB inserted and 32 KiB changed, downloaded ROUNDS
# times in turn through the updater's download step: whole, then by its block map with the
# previous build and its map kept in the downloads folder. Both end with the same SHA-256 check. Prints every
# run, the bytes the block map path fetched, and the goals: at most 10% of the file fetched, and
# the slowest run by block map at most 1.5 times the median (and the fastest) whole download.
#   delta-benchmark.sh BUILD_DIR [ROUNDS] [unmapped]   (servers and Wine environment started)
# "unmapped" keeps the previous build without its map, as an installer downloaded whole, which the
# updater then cuts into blocks itself.
set -euo pipefail
build="$(cd "$1" && pwd)"
rounds="${2:-10}"
www="$build/servers/www/delta-bench"
[[ -f "$build/servers/ports.env" ]] || { echo "servers not started: scripts/test-servers.sh start $build" >&2; exit 1; }
source "$build/servers/ports.env"
work="$build/delta-bench"
mkdir -p "$www" "$work/downloads/Earlier"
trap 'rm -rf "$www" "$work"' EXIT

python3 - "$work/downloads/Earlier/Earlier.exe" "$www/new.exe" <<'PY'
import random, sys
rng = random.Random(1)
old = rng.randbytes(30 * 1000 * 1000)
third = len(old) // 3
new = bytearray(old[:third] + rng.randbytes(64 * 1024) + old[third:])
new[2 * third:2 * third + 32 * 1024] = rng.randbytes(32 * 1024)
open(sys.argv[1], "wb").write(old)
open(sys.argv[2], "wb").write(new)
PY
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
# The previous build kept as the updater keeps an installer it downloaded by its map: with the map.
kept="$work/downloads/Earlier/Earlier.exe"
[[ "${3:-}" == unmapped ]] && kept=
for file in "$www/new.exe" $kept; do
  "$build/wine-run.sh" "$build/UpdaterPublisher.exe" blockmap "$(winpath "$file")" >/dev/null
done
size=$(stat -c %s "$www/new.exe")
sha=$(sha256sum "$www/new.exe" | cut -d' ' -f1)
printf '[General]\r\nID=DeltaBench\r\n' >"$work/Updater.ini"
url="http://127.0.0.1:${UPDATER_PORT_HTTP}/delta-bench/new.exe"
log="$build/servers/nginx-access.log"

for _ in $(seq "$rounds"); do
  for mode in full delta; do
    before=$(wc -l <"$log")
    "$build/wine-run.sh" "$build/bench/DeltaBench.exe" "$mode" "$(winpath "$work/Updater.ini")" \
      "$(winpath "$work/downloads")" "$url" "$url.blockmap" "$size" "$sha" | tr -d '\r' |
      tr '\n' ' '
    tail -n +"$((before + 1))" "$log" | grep ' /delta-bench/new.exe ' |
      awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^body=/) { split($i, kv, "="); sent += kv[2] } }
           END { printf "fetched=%d\n", sent }'
  done
done | tee /dev/stderr | awk -v size="$size" '
  { split($2, t, "="); split($4, f, "="); n[$1]++; time[$1, n[$1]] = t[2]
    if ($1 == "delta" && f[2] > fetched) fetched = f[2] }
  function sorted(mode,   i, j, x) {
    for (i = 1; i <= n[mode]; i++) s[i] = time[mode, i]
    for (i = 2; i <= n[mode]; i++) for (j = i; j > 1 && s[j - 1] > s[j]; j--) { x = s[j]; s[j] = s[j - 1]; s[j - 1] = x }
  }
  function median(mode) { sorted(mode); return n[mode] % 2 ? s[(n[mode] + 1) / 2] : (s[n[mode] / 2] + s[n[mode] / 2 + 1]) / 2 }
  function fastest(mode) { sorted(mode); return s[1] }
  function slowest(mode) { sorted(mode); return s[n[mode]] }
  END {
    for (mode in n) printf "%s over %d runs: fastest %.3f s, median %.3f s, slowest %.3f s\n", mode, n[mode], fastest(mode), median(mode), slowest(mode)
    printf "block map path fetched at most %d of %d bytes: %.2f%% (goal <= 10%%)\n", fetched, size, 100 * fetched / size
    printf "slowest block map run / median whole download %.2f, / fastest whole download %.2f (goal <= 1.5)\n", slowest("delta") / median("full"), slowest("delta") / fastest("full") }'
