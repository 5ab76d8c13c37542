#!/usr/bin/env bash
# Builds the Debian package of the build in a temporary folder and checks it: the libraries the
# programs link come from dpkg-shlibdeps, the run-time needs are named, the judge's environment
# file is a configuration file, and lintian finds no error (its warnings are printed).
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/quillet-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$build" && cpack -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
package=$(ls "$work"/quillet_*.deb)

depends=$(dpkg-deb -f "$package" Depends)
for needed in libqt6widgets6 libcurl4 libglib2.0-0 libmicrohttpd12 qt6-qpa-plugins gsettings-desktop-schemas; do
  grep -q "\(^\|, \)$needed\( (\|,\|$\)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
dpkg-deb --ctrl-tarfile "$package" | tar -xO ./conffiles | grep -qx /etc/default/quillet-judge ||
  fail "/etc/default/quillet-judge is not a configuration file"

lintian --fail-on error --tag-display-limit 0 "$package" >"$work/lintian.log" 2>&1 ||
  fail "lintian finds errors or cannot run"
grep -v 'root privileges' "$work/lintian.log" || true

[ "$failures" -eq 0 ] && echo "package: $(basename "$package") builds and lintian finds no error"
exit "$failures"
