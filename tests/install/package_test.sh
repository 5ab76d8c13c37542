#!/usr/bin/env bash
# Builds the Debian package as `make package` does (scripts/build-package.sh, in a folder of the
# build) and checks it: the programs carry the distribution's hardening, the package build made
# nothing but what the package ships, the libraries the programs link come from dpkg-shlibdeps,
# the run-time needs are named, the judge's environment file is a configuration file, the
# maintainer scripts mask and then purge an enabled judge service as Debian's own packages do,
# and lintian finds no error and no hardening tag (its warnings are printed).
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/quillet-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

packaging=$build/package
PACKAGE_JOBS=2 "$here/scripts/build-package.sh" "$packaging" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; exit 1; }
package=$(ls "$packaging"/quillet_*.deb)
dpkg-deb -x "$package" "$work/root"

# Only what the package ships was built: no test, benchmark or test tool.
extra=$(ninja -C "$packaging" -t targets all | grep -oE '^[^:]*(_tests|bench|proxyfarm|probe|_fuzz)[^:]*' || true)
[ -z "$extra" ] || fail "the package build makes what it does not ship: $(echo $extra)"

# Hardening: full RELRO with BIND_NOW, stack protector, fortified functions.
for program in quillet quillet-check quillet-judge; do
  binary=$work/root/usr/bin/$program
  readelf -lW "$binary" | grep -q GNU_RELRO || fail "$program has no RELRO"
  readelf -dW "$binary" | grep -qE 'BIND_NOW|FLAGS_1.*NOW' || fail "$program is not linked with BIND_NOW"
  symbols=$(readelf --dyn-syms -W "$binary")
  grep -q __stack_chk_fail <<<"$symbols" || fail "$program has no stack protector"
  grep -qE '__[a-z_]+_chk(@|$| )' <<<"$symbols" || fail "$program uses no fortified function"
done

depends=$(dpkg-deb -f "$package" Depends)
for needed in libqt6widgets6 libcurl4 libglib2.0-0 libmicrohttpd12 qt6-qpa-plugins gsettings-desktop-schemas; do
  grep -q "\(^\|, \)$needed\( (\|,\|$\)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
dpkg-deb --ctrl-tarfile "$package" | tar -xO ./conffiles | grep -qx /etc/default/quillet-judge ||
  fail "/etc/default/quillet-judge is not a configuration file"

# The maintainer scripts on a root folder of their own (DPKG_ROOT): installed, enabled by the
# administrator, removed (masked: it cannot start without its program), purged (no link left).
dpkg-deb -e "$package" "$work/control"
root=$work/system
unit=usr/lib/systemd/system/quillet-judge.service
mkdir -p "$root/$(dirname $unit)" && cp "$work/root/$unit" "$root/$unit"
script() { DPKG_ROOT=$root DPKG_MAINTSCRIPT_PACKAGE=quillet sh "$work/control/$1" "$2"; }
wants=$root/etc/systemd/system/multi-user.target.wants/quillet-judge.service
mask=$root/etc/systemd/system/quillet-judge.service
script postinst configure
mkdir -p "$(dirname "$wants")" && ln -s "/$unit" "$wants"  # what `systemctl enable` makes
script prerm remove && rm "$root/$unit" && script postrm remove
[ "$(readlink "$mask")" = /dev/null ] || fail "after a removal the enabled judge is not masked"
script postrm purge
[ ! -e "$mask" ] && [ ! -L "$mask" ] && [ ! -L "$wants" ] || fail "a purge leaves the judge's links behind"

lintian --fail-on error --tag-display-limit 0 "$package" >"$work/lintian.log" 2>&1 ||
  fail "lintian finds errors or cannot run"
grep -v 'root privileges' "$work/lintian.log" || true
! grep -q 'hardening' "$work/lintian.log" || fail "lintian finds the programs not hardened"

[ "$failures" -eq 0 ] && echo "package: $(basename "$package") builds and lintian finds no error"
exit "$failures"
