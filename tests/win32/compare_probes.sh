#!/usr/bin/env bash
# The Windows probe (WinINet, ICMP library, Winsock, under Wine) against the Linux one (libcurl,
# ICMP sockets) through the same real proxies: a transparent and an elite tinyproxy, one that
# denies the visitor, a black hole that never answers, and SOCKS4, SOCKS5 and CONNECT proxies.
# Both must give the same Status, Secure and judge page (less the two lines that differ on every
# request: the visitor's port and time).
#   compare_probes.sh LINUX_PROBE WINDOWS_PROBE JUDGE_PROGRAM WINE
# Everything listens on 127.0.3.x, on ports picked now.
set -euo pipefail
linux_probe=$1 windows_probe=$2 judge=$3 wine=$4
work=$(mktemp -d /tmp/quillet-compare.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port_open() { (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null; }
random_port() { echo $((20000 + RANDOM % 40000)); }

# True once ADDRESS:PORT takes connections (within 5 s); $started is then ADDRESS:PORT.
came_up() {
  for _ in $(seq 50); do
    if port_open "$1" "$2"; then started="$1:$2"; return 0; fi
    sleep 0.1
  done
  return 1
}

# Each starter runs in this shell (so that the clean-up knows its process) and leaves the
# server's host:port in $started.
start_tinyproxy() {  # NAME ADDRESS EXTRA-LINE
  local name=$1 address=$2 extra=$3 port attempt
  for attempt in 1 2 3 4 5; do
    port=$(random_port)
    port_open "$address" "$port" && continue
    printf 'Port %s\nListen %s\nBind %s\nTimeout 30\nMaxClients 20\nLogLevel Info\n%s\n' \
      "$port" "$address" "$address" "$extra" >"$work/$name.conf"
    tinyproxy -d -c "$work/$name.conf" </dev/null >"$work/$name.log" 2>&1 &
    pids+=($!)
    came_up "$address" "$port" && return
  done
  echo "tinyproxy $name did not start" >&2
  cat "$work/$name.log" >&2
  exit 1
}

start_judge() {
  local port attempt
  for attempt in 1 2 3 4 5; do
    port=$(random_port)
    "$judge" --address 127.0.3.1 --port "$port" </dev/null >"$work/judge.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
      if grep -q "listening on 127.0.3.1:$port" "$work/judge.log"; then
        started="127.0.3.1:$port"
        return
      fi
      sleep 0.1
    done
  done
  echo "the judge did not start" >&2
  exit 1
}

# A listener that accepts nobody: connections complete into its backlog and stay silent.
start_black_hole() {
  python3 -c '
import socket, time
s = socket.socket(); s.bind(("127.0.3.14", 0)); s.listen(16)
print("127.0.3.14:%d" % s.getsockname()[1], flush=True)
time.sleep(600)' </dev/null >"$work/black-hole" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    if [ -s "$work/black-hole" ]; then started=$(cat "$work/black-hole"); return; fi
    sleep 0.1
  done
  echo "the black hole did not start" >&2
  exit 1
}

# SOCKS servers, listening and connecting out on ADDRESS: microsocks (SOCKS5), or dante (SOCKS4
# and SOCKS5), which never runs as root: as root it becomes "nobody".
start_socks() {  # NAME ADDRESS
  local name=$1 address=$2 port attempt user=nobody
  [ "$(id -u)" = 0 ] || user=$(id -un)
  for attempt in 1 2 3 4 5; do
    port=$(random_port)
    port_open "$address" "$port" && continue
    if [ "$name" = microsocks ]; then
      microsocks -i "$address" -p "$port" -b "$address" </dev/null >"$work/$name.log" 2>&1 &
    else
      printf '%s\n' "logoutput: $work/$name.log" "internal: $address port = $port" \
        "external: $address" "socksmethod: none" "clientmethod: none" "user.privileged: $user" \
        "user.unprivileged: $user" "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }" \
        "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 }" >"$work/$name.conf"
      PATH=$PATH:/usr/sbin danted -N 1 -f "$work/$name.conf" -p "$work/$name.pid" </dev/null \
        >"$work/$name.out" 2>&1 &
    fi
    pids+=($!)
    came_up "$address" "$port" && return
  done
  echo "$name did not start" >&2
  exit 1
}

start_judge && judge_page=$started/
start_tinyproxy transparent 127.0.3.11 "XTinyproxy Yes" && transparent=$started
start_tinyproxy elite 127.0.3.12 "DisableViaHeader Yes" && elite=$started
start_tinyproxy deny 127.0.3.13 "Allow 127.0.0.2" && deny=$started
start_black_hole && black_hole=$started
start_socks microsocks 127.0.3.15 && microsocks=$started
start_socks dante 127.0.3.16 && dante=$started
judge_port=${judge_page#*:} && judge_port=${judge_port%/}
start_tinyproxy connect 127.0.3.17 "ConnectPort $judge_port" && connect=$started
proxies=("$transparent" "$elite" "$deny" "$black_hole" "socks5://$microsocks" "socks4://$dante"
  "socks5://$dante" "https://$connect")

# The visitor's own address is 127.0.3.11 for the transparent proxy's page: that proxy tells it.
run() { "$@" "$judge_page" 127.0.0.1 2000 "${proxies[@]}" | tr -d '\r' >"$work/$name.out"; }
name=linux run "$linux_probe"
name=windows run "$wine" "$windows_probe"

# Lines that differ on every request (the visitor's port and time, and the page's digest, which
# covers them), and the request headers that each client library sends of its own (libcurl:
# Accept, Pragma and Cache-Control; Wine's WinINet: User-Agent and Referer left empty instead of
# removed) are set aside, and shown.
varying='^(REMOTE_PORT|REQUEST_TIME|PAGE_SHA256) = |^body [0-9]+$'
own_headers='^HTTP_(ACCEPT|PRAGMA|CACHE_CONTROL|USER_AGENT|REFERER) = '
mask() { grep -Ev "$varying|$own_headers" "$1"; }
if ! diff -u <(mask "$work/linux.out") <(mask "$work/windows.out"); then
  echo "The Windows probe differs from the Linux probe (- Linux, + Windows)." >&2
  exit 1
fi
for name in linux windows; do
  echo "Headers only the $name probe sent: $(grep -E "$own_headers" "$work/$name.out" | sort -u |
    tr '\n' ';')"
done
# And both are what these proxies must give.
expected=$(printf 'status OK\nsecure N\nstatus OK\nsecure Y\nstatus 403\nsecure \nstatus --\nsecure ')
expected+=$(printf '\nstatus OK\nsecure Y%.0s' 1 2 3 4)
actual=$(grep -E '^(status|secure) ' "$work/linux.out")
if [ "$actual" != "$expected" ]; then
  printf 'Unexpected outcomes:\n%s\nexpected:\n%s\n' "$actual" "$expected" >&2
  exit 1
fi
echo "Windows and Linux probes agree on ${#proxies[@]} proxies:"
grep -E '^(proxy|status|secure) ' "$work/windows.out" | paste - - -
