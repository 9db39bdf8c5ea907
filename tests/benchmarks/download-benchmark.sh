#!/usr/bin/env bash
# Downloads a 200 MB file from the local nginx with the project's downloader, a bare WinINet loop
# and curl, alternating, and prints each throughput, the ratios and the downloader's peak memory.
#   download-benchmark.sh BUILD_DIR [ROUNDS]     (servers and Wine environment started)
set -euo pipefail
build="$(cd "$1" && pwd)"
rounds="${2:-3}"
www="$build/servers/www"
[[ -f "$build/servers/ports.env" ]] || { echo "servers not started: scripts/test-servers.sh start $build" >&2; exit 1; }
source "$build/servers/ports.env"
[[ -f "$www/bench-200m.bin" ]] || head -c 200000000 /dev/urandom >"$www/bench-200m.bin"
url="http://127.0.0.1:${UPDATER_PORT_HTTP}/bench-200m.bin"
dest='C:\users\Public\bench-200m.bin'
for i in $(seq "$rounds"); do
  "$build/wine-run.sh" "$build/tests/DownloadBench.exe" downloader "$url" "$dest"
  "$build/wine-run.sh" "$build/tests/DownloadBench.exe" bare "$url" "$dest"
  curl -s -o /dev/null -w 'curl mbps=%{speed_download}\n' "$url" | awk '{split($2,a,"="); printf "curl mbps=%.1f\n", a[2]/1e6}'
done | tee /dev/stderr | awk '
  /^downloader/ { split($4,a,"="); d += a[2]; nd++; split($5,m,"="); if (m[2] > peak) peak = m[2] }
  /^bare/ { split($4,a,"="); b += a[2]; nb++ }
  /^curl/ { split($2,a,"="); c += a[2]; nc++ }
  END { printf "mean MB/s: downloader %.1f bare %.1f curl %.1f; downloader/bare %.2f, downloader/curl %.2f; downloader peak working set %d KiB\n", d/nd, b/nb, c/nc, (d/nd)/(b/nb), (d/nd)/(c/nc), peak }'
