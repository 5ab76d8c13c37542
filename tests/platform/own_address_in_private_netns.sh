#!/bin/sh
# The own address in private network namespaces (nothing leaves them; IPv6 is off so that the
# interfaces send nothing at all): a veth pair whose later interface holds the default route,
# the same without a default route, and loopback alone. Needs root; skips otherwise.
set -eu
program=$1
[ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null || { echo "skipped: needs root and unshare -n"; exit 77; }
exec unshare -n sh -eu -c '
  filter="--gtest_filter=OwnAddressInPrivateNetns.*"
  ip link set lo up
  QUILLET_EXPECTED_OWN_ADDRESS=127.0.0.1 "$0" "$filter"
  echo 1 > /proc/sys/net/ipv6/conf/default/disable_ipv6
  ip link add q0 type veth peer name q1
  ip addr add 10.99.0.5/24 dev q1
  ip addr add 10.11.12.13/24 dev q0
  ip link set q1 up
  ip link set q0 up
  ip route add default via 10.11.12.1 dev q0
  QUILLET_EXPECTED_OWN_ADDRESS=10.11.12.13 "$0" "$filter"
  ip route del default
  QUILLET_EXPECTED_OWN_ADDRESS=10.99.0.5 "$0" "$filter"
' "$program"
