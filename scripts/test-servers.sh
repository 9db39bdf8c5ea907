#!/usr/bin/env bash
# Starts and stops the local servers that the transfer tests download from.
#   test-servers.sh start BUILD_DIR    start whatever is not running (a second start is a no-op)
#   test-servers.sh stop BUILD_DIR     stop them (a second stop is a no-op)
#   test-servers.sh status BUILD_DIR   list each server as up (with its ports) or down
#
# Everything lives under BUILD_DIR/servers (Windows side, inside Wine: %UPDATER_SERVERS_DIR%,
# exported by scripts/wine-env.sh as the Unix path; the Windows path is "Z:" + it with / -> \).
# All servers listen on 127.0.0.1 only, on ports free when they start, so that several builds can
# test side by side. The ports are written to BUILD_DIR/servers/ports.env, one UPDATER_PORT_<NAME>
# a line, which scripts/wine-env.sh exports to Windows programs (tests: ServerAddress(L"name")).
#
#   Name       Server                       Notes
#   HTTP       nginx HTTP                   document root www/
#   HTTPS      nginx HTTPS                  self-signed, CN and SAN IP 127.0.0.1 (servers/nginx/cert.pem)
#   ELSEWHERE  nginx HTTP                   the same files, every one behind basic auth, realm
#                                           "Updater Elsewhere", user alice / wonderland: the server
#                                           a redirect leads to
#     /auth/...       basic auth, realm "Updater Test", user alice / wonderland
#     /elsewhere/<host>/<path>       302 to http://<host>:ELSEWHERE/<path>
#     /relative/<path>               302 to /<path>, a relative Location
#     /auth/elsewhere/<host>/<path>  the same once the credentials of /auth/ were accepted
#     /forbidden/...  403           /gone/...  410           anything missing  404
#     /busy/<N>/...   503 with Retry-After: N
#     Range, Last-Modified and If-Modified-Since (304 when the file is not newer: if_modified_since before)
#   PROXY      proxy (squid), basic auth    user proxyuser / proxypass, realm "Updater Test Proxy";
#                                           407 without or with wrong credentials
#   OPENPROXY  proxy (squid), open          no authentication; both proxies reach 127.0.0.1 only
#   FTP        FTP (pyftpdlib)              anonymous reads www/ except auth/; ftpuser / ftppass reads all;
#                                           REST refused (501) in ASCII type, accepted (350) after TYPE I;
#                                           passive ports chosen by the system
#   FTPREST    FTP, the same                but REST accepted in either type
#   FAULT      fault server                 tests/servers/fault_server.py, files of www/:
#     /<file>  /drop/<N>/<file>  /lie/<file> (+1024)  /norange/<file>  /trickle/<file> (1 byte/s)
#     /endless  /slowheaders
#
# Files under BUILD_DIR/servers:
#   ports.env               the ports of the running servers; removed by stop
#   www/                    document root of nginx, FTP and the fault server; tests add files here
#     small.txt, medium.bin (3 MiB, fixed bytes), auth/secret.txt, updates/ (empty), SHA256SUMS
#     generated when missing, with mtime 2021-06-15 12:00:00 UTC
#   nginx-access.log        one line per request: request line, status, bytes, Range, IMS, user
#   fault-access.log        one line per request: request line, Range, status
#   proxy-access.log        squid's log of both proxies (user name, status, URL)
#   ftp.log, fault.out, nginx/error.log, proxy/cache.log
set -euo pipefail
action="${1:-}"
[[ -n "${2:-}" ]] || { echo "usage: $0 start|stop|status BUILD_DIR" >&2; exit 2; }
mkdir -p "$2"
build="$(cd "$2" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
srv="$build/servers"
www="$srv/www"
python=/usr/bin/python3   # Debian's, which has pyftpdlib

# In start order; start waits until every port of a server answers.
servers=(nginx proxy ftp fault)
# The names of each server's ports, as in ports.env (UPDATER_PORT_<NAME>) and ServerAddress.
declare -A portnames=([nginx]="HTTP HTTPS ELSEWHERE" [proxy]="PROXY OPENPROXY" [ftp]="FTP FTPREST"
  [fault]=FAULT)
declare -A port=()
portsfile="$srv/ports.env"
declare -A pidfiles=([nginx]="$srv/nginx/nginx.pid" [proxy]="$srv/proxy/squid.pid"
  [ftp]="$srv/ftp.pid" [fault]="$srv/fault.pid")

port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# A process that has exited but is not yet reaped (state Z) counts as gone.
alive() { local st; st="$(ps -o stat= -p "$1" 2>/dev/null)" && [[ "$st" != Z* ]]; }

running() {
  local f="${pidfiles[$1]}"
  [[ -s "$f" ]] && alive "$(cat "$f")"
}

load_ports() {
  local key value
  [[ -f "$portsfile" ]] || return 0
  while IFS='=' read -r key value; do port[${key#UPDATER_PORT_}]="$value"; done <"$portsfile"
}

# The ports of a server, in the order its names list them; empty when not known.
ports_of() {
  local n out=()
  for n in ${portnames[$1]}; do [[ -n "${port[$n]:-}" ]] && out+=("${port[$n]}"); done
  echo "${out[*]}"
}

# Binds all the sockets before closing any, so that the ports differ; the system hands out
# only ports nobody holds. Another process may still take one before the server binds it:
# start_one then tries again with new ports.
choose_ports() {
  local n chosen
  read -r -a chosen < <("$python" -c '
import socket, sys
held = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in held:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))' "$(wc -w <<<"${portnames[$1]}")")
  for n in ${portnames[$1]}; do
    port[$n]="${chosen[0]}"
    chosen=("${chosen[@]:1}")
  done
}

write_ports() {
  local name n
  for name in "${servers[@]}"; do
    for n in ${portnames[$name]}; do
      if [[ -n "${port[$n]:-}" ]]; then echo "UPDATER_PORT_$n=${port[$n]}"; fi
    done
  done >"$portsfile.tmp"
  mv "$portsfile.tmp" "$portsfile"
}

# Succeeds once every port of the server answers and its own process runs.
wait_up() {
  local name="$1" p
  for p in $(ports_of "$name"); do
    for _ in $(seq 100); do
      port_open "$p" && continue 2
      sleep 0.1
    done
    return 1
  done
  # The pid file of a daemonising server may appear a moment after its port; without it the
  # port may answer for another process.
  for _ in $(seq 50); do running "$name" && return; sleep 0.1; done
  return 1
}

make_content() {
  mkdir -p "$www/auth" "$www/updates" "$www/forbidden" "$www/gone"
  local stamp=202106151200.00 made=
  if [[ ! -f "$www/small.txt" ]]; then
    printf 'Updater test file.\nSecond line.\nThird and last line.\n' >"$www/small.txt"
    made=1
  fi
  if [[ ! -f "$www/medium.bin" ]]; then
    # 3 MiB of AES-CTR keystream under a fixed key: the same bytes on every machine.
    head -c 3145728 /dev/zero | openssl enc -aes-128-ctr -nosalt \
      -K 000102030405060708090a0b0c0d0e0f -iv 00000000000000000000000000000000 >"$www/medium.bin.tmp"
    mv "$www/medium.bin.tmp" "$www/medium.bin"
    made=1
  fi
  if [[ ! -f "$www/auth/secret.txt" ]]; then
    printf 'Secret behind basic authentication.\n' >"$www/auth/secret.txt"
    made=1
  fi
  [[ -f "$www/forbidden/file.txt" ]] || printf 'never served\n' >"$www/forbidden/file.txt"
  [[ -f "$www/gone/file.txt" ]] || printf 'never served\n' >"$www/gone/file.txt"
  if [[ -n "$made" || ! -f "$www/SHA256SUMS" ]]; then
    (cd "$www" && TZ=UTC touch -t "$stamp" small.txt medium.bin auth/secret.txt &&
      sha256sum small.txt medium.bin auth/secret.txt >SHA256SUMS && TZ=UTC touch -t "$stamp" SHA256SUMS)
  fi
}

start_nginx() {
  local d="$srv/nginx"
  mkdir -p "$d/tmp"
  if [[ ! -f "$d/cert.pem" || ! -f "$d/key.pem" ]]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=127.0.0.1" \
      -addext "subjectAltName=IP:127.0.0.1" -keyout "$d/key.pem" -out "$d/cert.pem" 2>/dev/null
  fi
  [[ -f "$d/htpasswd" ]] || printf 'alice:%s\n' "$(openssl passwd -apr1 wonderland)" >"$d/htpasswd"
  cat >"$d/nginx.conf" <<EOF
# Generated by scripts/test-servers.sh; edits are lost at the next start.
daemon on;
$( ((EUID == 0)) && echo "user root;")
worker_processes 1;
pid $d/nginx.pid;
error_log $d/error.log info;
events { worker_connections 256; }
http {
  types {
    text/plain txt ini log;
    text/html html htm;
    text/xml xml;
    application/json json;
  }
  default_type application/octet-stream;
  log_format updater '\$time_iso8601 \$scheme:\$server_port "\$request" status=\$status '
                     'bytes=\$bytes_sent body=\$body_bytes_sent range="\$http_range" '
                     'ims="\$http_if_modified_since" user="\$remote_user" via="\$http_via" '
                     'agent="\$http_user_agent"';
  access_log $srv/nginx-access.log updater;
  client_body_temp_path $d/tmp/client;
  proxy_temp_path $d/tmp/proxy;
  fastcgi_temp_path $d/tmp/fastcgi;
  uwsgi_temp_path $d/tmp/uwsgi;
  scgi_temp_path $d/tmp/scgi;
  sendfile on;
  keepalive_timeout 30;
  # 304 whenever the file is not newer than If-Modified-Since (the default, exact, wants equality).
  if_modified_since before;
  server {
    listen 127.0.0.1:${port[HTTP]};
    listen 127.0.0.1:${port[HTTPS]} ssl;
    server_name 127.0.0.1 localhost;
    ssl_certificate $d/cert.pem;
    ssl_certificate_key $d/key.pem;
    root $www;
    location /auth/ {
      auth_basic "Updater Test";
      auth_basic_user_file $d/htpasswd;
      # try_files runs after the credentials are checked, a rewrite before.
      location /auth/elsewhere/ { try_files /.none @elsewhere; }
    }
    location /elsewhere/ { try_files /.none @elsewhere; }
    location /relative/ {
      absolute_redirect off;
      rewrite ^/relative/(.*)\$ /\$1 redirect;
    }
    location @elsewhere {
      rewrite ^(/auth)?/elsewhere/([^/]+)/(.*)\$ http://\$2:${port[ELSEWHERE]}/\$3 redirect;
    }
    location /forbidden/ { return 403; }
    location /gone/ { return 410; }
    location ~ ^/busy/([0-9]+)/ {
      add_header Retry-After \$1 always;
      return 503;
    }
  }
  server {
    listen 127.0.0.1:${port[ELSEWHERE]};
    root $www;
    auth_basic "Updater Elsewhere";
    auth_basic_user_file $d/htpasswd;
  }
}
EOF
  nginx -e "$d/error.log" -p "$d/" -c "$d/nginx.conf" -t -q &&
    nginx -e "$d/error.log" -p "$d/" -c "$d/nginx.conf"
}

start_proxy() {
  # One squid, two ports: PROXY asks for proxy credentials, OPENPROXY does not. Squid refuses to run
  # as root and switches to the user "proxy", who must reach and write its folder.
  local d="$srv/proxy"
  mkdir -p "$d"
  [[ -f "$d/passwd" ]] || printf 'proxyuser:%s\n' "$(openssl passwd -1 proxypass)" >"$d/passwd"
  touch "$srv/proxy-access.log"
  cat >"$d/squid.conf" <<EOF
# Generated by scripts/test-servers.sh; edits are lost at the next start.
http_port 127.0.0.1:${port[PROXY]} name=auth
http_port 127.0.0.1:${port[OPENPROXY]} name=open
pid_filename $d/squid.pid
cache_log $d/cache.log
access_log stdio:$srv/proxy-access.log
cache_store_log none
cache deny all
cache_mem 8 MB
coredump_dir $d
shutdown_lifetime 0 seconds
pinger_enable off
visible_hostname updater-test-proxy
dns_nameservers 127.0.0.1
dns_timeout 2 seconds
udp_outgoing_address 127.0.0.1
udp_incoming_address 127.0.0.1
auth_param basic program /usr/lib/squid/basic_ncsa_auth $d/passwd
auth_param basic realm Updater Test Proxy
auth_param basic children 2
acl from_lo src 127.0.0.1/32
acl to_lo dst 127.0.0.1/32
acl authport myportname auth
acl authenticated proxy_auth REQUIRED
http_access deny !from_lo
http_access deny !to_lo
http_access allow authport authenticated
http_access deny authport
http_access allow from_lo
http_access deny all
EOF
  if ((EUID == 0)); then
    chown -R proxy:proxy "$d" "$srv/proxy-access.log"
    if ! runuser -u proxy -- test -w "$d" -a -r "$d/passwd"; then
      echo "test-servers: squid runs as user proxy, who cannot reach $d (a parent folder closed?)" >&2
      exit 1
    fi
  fi
  rm -f "$d/squid.pid"
  squid -f "$d/squid.conf" </dev/null >>"$d/cache.log" 2>&1
}

start_python() {
  local name="$1" script="$2" serverPorts
  read -r -a serverPorts <<<"$(ports_of "$name")"
  rm -f "${pidfiles[$name]}"
  # setsid: the server outlives the shell that started it and ignores its terminal.
  setsid "$python" "$script" "$www" "$srv/$name$3" "${pidfiles[$name]}" "${serverPorts[@]}" \
    </dev/null >>"$srv/$name.out" 2>&1 &
}

launch() {
  case "$1" in
    nginx) start_nginx ;;
    proxy) start_proxy ;;
    ftp) start_python ftp "$root/tests/servers/ftp_server.py" .log ;;
    fault) start_python fault "$root/tests/servers/fault_server.py" -access.log ;;
  esac
}

start_one() {
  local name="$1"
  if running "$name"; then
    [[ -n "$(ports_of "$name")" ]] && return
    # Started without a record of its ports (by an older version of this script).
    stop_one "$name" || exit 1
  fi
  for _ in 1 2 3; do
    choose_ports "$name"
    launch "$name" && wait_up "$name" && return
    stop_one "$name" >/dev/null 2>&1 || true
  done
  echo "test-servers: $name did not come up on 127.0.0.1 ports $(ports_of "$name");" \
    "see the logs in $srv" >&2
  exit 1
}

stop_one() {
  local name="$1" f="${pidfiles[$1]}" pid p
  if [[ -s "$f" ]]; then
    pid="$(cat "$f")"
    if alive "$pid"; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do alive "$pid" || break; sleep 0.1; done
      if alive "$pid"; then kill -9 "$pid" 2>/dev/null || true; fi
    fi
    rm -f "$f"
  fi
  for p in $(ports_of "$name"); do
    for _ in $(seq 50); do port_open "$p" || continue 2; sleep 0.1; done
    echo "test-servers: 127.0.0.1:$p ($name) still answers after stop" >&2
    return 1
  done
}

case "$action" in
  start)
    for tool in nginx squid openssl "$python"; do
      command -v "$tool" >/dev/null || { echo "test-servers: $tool missing; run scripts/install-deps.sh" >&2; exit 1; }
    done
    mkdir -p "$srv"
    make_content
    load_ports
    # Written after each server, so that stop finds the ports of those that came up.
    for name in "${servers[@]}"; do
      start_one "$name"
      write_ports
    done
    ;;
  stop)
    load_ports
    rc=0
    for name in "${servers[@]}"; do stop_one "$name" || rc=1; done
    # Stale ports would lead the tests to whatever listens there next.
    if ((rc == 0)); then rm -f "$portsfile"; fi
    exit $rc
    ;;
  status)
    load_ports
    for name in "${servers[@]}"; do
      if running "$name"; then echo "$name up ($(ports_of "$name"))"; else echo "$name down"; fi
    done
    ;;
  *)
    echo "usage: $0 start|stop|status BUILD_DIR" >&2
    exit 2
    ;;
esac
