#!/bin/sh
# Runs the tests named by a filter inside a private network namespace (only loopback in it)
# where this process may open no ICMP socket at all: no group may open ICMP datagram sockets
# and the capability for raw sockets is dropped, as for a normal user on many systems.
# Needs root, unshare and setpriv; skips otherwise.
set -eu
program=$1
filter=$2
if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null || ! command -v setpriv >/dev/null; then
  echo "skipped: needs root, a private network namespace (unshare -n) and setpriv"
  exit 77
fi
if ! "$program" --gtest_list_tests --gtest_filter="$filter" | grep -q '^  '; then
  echo "no test matches $filter" >&2
  exit 1
fi
exec unshare -n sh -eu -c '
  ip link set lo up
  echo "1 0" > /proc/sys/net/ipv4/ping_group_range
  exec setpriv --bounding-set -net_raw --inh-caps -net_raw "$0" --gtest_filter="$1"
' "$program" "$filter"
