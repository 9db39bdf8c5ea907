#!/usr/bin/env bash
# Downloads a 200 MB file from the local nginx with the project's downloader and then with a bare
# synchronous WinINet loop, ROUNDS times in turn, as a busy user machine runs them: one core kept
# busy by a shell loop throughout. Prints every run, the median and the worst of each, and the
# goals: the downloader's worst run at least 0.5 of the bare loop's median, its median at least
# 0.7. Then a 4 MiB file from the fault server, which pauses after each 64 KiB block, so that
# reads wait for the network: the time over the server's own sending time shows whether a read
# that completes later is picked up at once.
#   download-benchmark.sh BUILD_DIR [ROUNDS] [idle|busy]   (servers and Wine environment started)
# "idle" keeps no core busy; "busy" keeps every core busy and a writer flushing files to disk.
set -euo pipefail
build="$(cd "$1" && pwd)"
rounds="${2:-20}"
www="$build/servers/www"
[[ -f "$build/servers/ports.env" ]] || { echo "servers not started: scripts/test-servers.sh start $build" >&2; exit 1; }
source "$build/servers/ports.env"
[[ -f "$www/bench-200m.bin" ]] || head -c 200000000 /dev/urandom >"$www/bench-200m.bin"
[[ -f "$www/bench-4m.bin" ]] || head -c 4194304 /dev/urandom >"$www/bench-4m.bin"
# A run that Wine lets crash under load is left out of the figures.
bench() { "$build/wine-run.sh" "$build/bench/DownloadBench.exe" "$@" 2>/dev/null || true; }
dest='C:\users\Public\bench.bin'

load=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$load"' EXIT
case "${3:-one}" in
  idle) ;;
  busy)
    for _ in $(seq "$(nproc)"); do sh -c 'while :; do :; done' & done
    sh -c "while :; do dd if=/dev/zero of='$load/fill' bs=1M count=300 conv=fsync 2>/dev/null; done" & ;;
  *) sh -c 'while :; do :; done' & ;;
esac

url="http://127.0.0.1:${UPDATER_PORT_HTTP}/bench-200m.bin"
for _ in $(seq "$rounds"); do
  bench downloader "$url" "$dest"
  bench bare "$url" "$dest"
done | tee /dev/stderr | awk '
  { for (i = 2; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
    n[$1]++; rate[$1, n[$1]] = v["mbps"]; if ($1 == "downloader" && v["peak_ws_kib"] > peak) peak = v["peak_ws_kib"] }
  function sorted(tool,   i, j, t) {
    for (i = 1; i <= n[tool]; i++) s[i] = rate[tool, i]
    for (i = 2; i <= n[tool]; i++) for (j = i; j > 1 && s[j - 1] > s[j]; j--) { t = s[j]; s[j] = s[j - 1]; s[j - 1] = t }
  }
  function median(tool) { sorted(tool); return n[tool] % 2 ? s[(n[tool] + 1) / 2] : (s[n[tool] / 2] + s[n[tool] / 2 + 1]) / 2 }
  function worst(tool) { sorted(tool); return s[1] }
  END {
    for (tool in n) printf "%s MB/s over %d runs: median %.1f, worst %.1f\n", tool, n[tool], median(tool), worst(tool)
    printf "downloader worst / bare median %.2f (goal >= 0.5); downloader median / bare median %.2f (goal >= 0.7); downloader peak working set %d KiB\n",
      worst("downloader") / median("bare"), median("downloader") / median("bare"), peak }'

paced="http://127.0.0.1:${UPDATER_PORT_FAULT}/paced/5/bench-4m.bin"
sending=$(awk 'BEGIN { printf "%.3f", 64 * 0.005 }')
for tool in downloader bare; do
  bench "$tool" "$paced" "$dest" | awk -v s="$sending" '{ split($3, t, "="); printf "paced %s: %.3f s, %.2f x the server'"'"'s %.3f s\n", $1, t[2], t[2] / s, s }'
done
