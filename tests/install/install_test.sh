#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks it as a user's machine would see it:
# exactly the expected files, a valid desktop entry and AppStream data that point at installed
# files and no web address that does not exist, the licence stated alike everywhere, icons of
# the sizes their folders name, manual pages that name every option of the programs' --help
# without a garbled line, a valid judge service unit, the installed Quillet's first run, and an
# uninstall that takes every file away again. Also the Makefile: one recipe per target, and only
# what building and running needs for `make run`.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/quillet-install.XXXXXX)
pid=""
judge=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; [ -z "$judge" ] || kill "$judge" 2>/dev/null; rm -rf "$work"' EXIT
dest=$work/dest
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null

# Exactly these files, nothing of the test and benchmark programs.
id=example.brasklet.Quillet
expected=$(sort <<LIST
etc/default/quillet-judge
usr/bin/quillet
usr/bin/quillet-check
usr/bin/quillet-judge
usr/lib/systemd/system/quillet-judge.service
usr/share/applications/$id.desktop
usr/share/doc/quillet/changelog.gz
usr/share/doc/quillet/copyright
$(for size in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"; done)
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/quillet.1.gz
usr/share/man/man1/quillet-check.1.gz
usr/share/man/man1/quillet-judge.1.gz
usr/share/metainfo/$id.metainfo.xml
usr/share/quillet/QuilletD.txt
LIST
)
installed=$(cd "$dest" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [ "$installed" != "$expected" ]; then
  fail "the install differs from the expected files:"
  diff <(echo "$expected") <(echo "$installed") >&2 || true
fi

# Desktop entry and AppStream data: valid, and naming what the install holds.
entry=$dest/usr/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
appstreamcli validate --no-net "$dest/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "appstreamcli rejects the metainfo"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$dest/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not launch $id.desktop"
# appstreamcli fetches every web address it names when the network is allowed: there is none
# that does not exist (tests stay on loopback, so this looks instead of fetching).
! grep -n 'https\?://' "$dest/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo names web addresses"

# The licence: GPL-3.0-or-later in the AppStream data, the copyright file and the sources.
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$dest/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo states no GPL-3.0-or-later licence"
grep -qx 'License: GPL-3+' "$dest/usr/share/doc/quillet/copyright" || fail "the copyright file states no GPL-3+"
cmp -s "$here/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the GPL version 3"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$dest/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$dest/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
for png in "$dest"/usr/share/icons/hicolor/*x*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file -b "$png" | grep -q "^PNG image data, ${size/x/ x }," || fail "$png is not $size"
done

# Manual pages: every option that --help names is named in the page, each option on a line of
# its own (not run together with another option or its value).
for program in quillet-check quillet-judge; do
  page=$(zcat "$dest/usr/share/man/man1/$program.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\[,/]//g')
  options=$("$dest/usr/bin/$program" --help | grep -oE '(^|[ ,])--?[a-zA-Z][a-zA-Z-]*' | sed 's/^[ ,]//' | sort -u)
  [ -n "$options" ] || fail "$program --help names no option"
  for option in $options; do
    grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|\$)" <<<"$page" || fail "$program(1) lacks $option"
  done
  # help2man runs an option and its description together (.HP) when --help does not keep them
  # apart.
  garbled=$(zcat "$dest/usr/share/man/man1/$program.1.gz" | grep -A1 '^\.HP' || true)
  [ -z "$garbled" ] || fail "$program(1) runs an option into its description: $garbled"
done

# The judge's unit names the installed program and environment file; systemd accepts it.
unit=$dest/usr/lib/systemd/system/quillet-judge.service
program=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
environment=$(sed -n 's/^EnvironmentFile=//p' "$unit")
[ -x "$dest$program" ] || fail "ExecStart names $program, which the install does not hold"
[ -f "$dest$environment" ] || fail "EnvironmentFile names $environment, which the install does not hold"
if command -v systemd-analyze >/dev/null; then
  sed -e "s|=$program|=$dest$program|" -e "s|=$environment|=$dest$environment|" "$unit" >"$work/quillet-judge.service"
  systemd-analyze verify --man=no "$work/quillet-judge.service" || fail "systemd rejects the unit"
fi

# The judge without arguments: port 8080 (below 32768, as Quillet needs) on every address, the
# test page to enter in Quillet printed, the page served.
if ss -Hltn 'sport = :8080' | grep -q .; then
  echo "install: port 8080 is taken here; the judge's default port is not tried"
else
  "$dest/usr/bin/quillet-judge" >"$work/judge.log" 2>&1 &
  judge=$!
  for _ in $(seq 50); do grep -q '^test page' "$work/judge.log" && break; sleep 0.1; done
  grep -qx 'listening on 0.0.0.0:8080' "$work/judge.log" || fail "the judge does not listen on 0.0.0.0:8080"
  grep -qE '^test page for Quillet: http://[0-9.]+:8080/$' "$work/judge.log" || fail "no test page: $(cat "$work/judge.log")"
  page=$(exec 3<>/dev/tcp/127.0.0.1/8080 && printf 'GET / HTTP/1.0\r\n\r\n' >&3 && cat <&3) || true
  grep -q '^REMOTE_ADDR' <<<"${page//$'\r'/}" || fail "the judge on port 8080 serves no judge page"
  kill "$judge" && wait "$judge" || fail "the judge does not end with exit code 0 on SIGTERM"
  judge=""
fi
zcat "$dest/usr/share/man/man1/quillet-judge.1.gz" | grep -q 'port 8080' || fail "quillet-judge(1) names no default port"

# First run of the installed program: the sample list is copied into the user's data folder and
# named in the settings.
home=$work/home
mkdir -p "$home/data" "$home/config" "$home/runtime" && chmod 700 "$home/runtime"
XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime \
  QT_QPA_PLATFORM=offscreen GSETTINGS_BACKEND=memory "$dest/usr/bin/quillet" >"$work/quillet.log" 2>&1 &
pid=$!
copy=$home/data/quillet/QuilletD.txt
for _ in $(seq 150); do
  grep -qx "ListFile=$copy" "$home/config/Brasklet/Quillet.conf" 2>/dev/null && break
  sleep 0.2
done
grep -qx "ListFile=$copy" "$home/config/Brasklet/Quillet.conf" 2>/dev/null ||
  fail "the first run does not name $copy as the list file"
cmp -s "$copy" "$dest/usr/share/quillet/QuilletD.txt" || fail "the user's copy of the sample differs"
sleep 1
kill -0 "$pid" 2>/dev/null || { fail "quillet ended on its first run:"; cat "$work/quillet.log" >&2; }

# Uninstall: every installed file goes, and Quillet's own folders with them.
DESTDIR=$dest "$here/scripts/uninstall.sh" "$build/install_manifest.txt" >/dev/null
left=$(cd "$dest" && find . -type f -o -type l -o -type d -name quillet)
[ -z "$left" ] || fail "uninstall leaves: $left"

# The Makefile defines each target once, and `make run` installs no test tool.
makefile=$(make -n -C "$here" run BUILD_DIR="$build" 2>&1 || true)
! grep -q 'overriding recipe' <<<"$makefile" || fail "the Makefile defines a target twice"
grep -q 'install-deps.sh run' <<<"$makefile" && ! grep -q 'install-deps.sh test' <<<"$makefile" ||
  fail "make run installs more than building and running needs"

[ "$failures" -eq 0 ] && echo "install: every check passed"
exit "$failures"
