#!/bin/sh
# Runs the ICMP datagram-socket tests inside a private network namespace (only loopback in it),
# where unprivileged ICMP datagram sockets can be allowed without touching the machine's own
# net.ipv4.ping_group_range. Needs root; skips otherwise.
set -eu
program=$1
if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
  echo "skipped: needs root and a private network namespace (unshare -n)"
  exit 77
fi
filter="*IcmpPinger*datagram*"
if ! "$program" --gtest_list_tests --gtest_filter="$filter" | grep -q datagram; then
  echo "no datagram-socket test matches $filter" >&2
  exit 1
fi
exec unshare -n sh -eu -c '
  ip link set lo up
  echo "0 2147483647" > /proc/sys/net/ipv4/ping_group_range
  exec "$0" --gtest_filter="$1"
' "$program" "$filter"
