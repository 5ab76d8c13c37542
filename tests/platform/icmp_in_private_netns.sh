#!/bin/sh
# Runs the ICMP adapter tests inside a private network namespace (only loopback in it). There the
# unprivileged datagram socket can be allowed, and an unprivileged user seen to get no ICMP at
# all, without touching the machine's own net.ipv4.ping_group_range. Needs root; skips otherwise.
set -eu
program=$1
if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
  echo "skipped: needs root and a private network namespace (unshare -n)"
  exit 77
fi
exec unshare -n sh -eu -c '
  ip link set lo up
  echo "0 2147483647" > /proc/sys/net/ipv4/ping_group_range
  "$0" --gtest_filter="*IcmpPinger*datagram*"
  echo "1 0" > /proc/sys/net/ipv4/ping_group_range
  exec setpriv --reuid=65534 --regid=65534 --clear-groups "$0" --gtest_filter="IcmpPinger.*"
' "$program"
