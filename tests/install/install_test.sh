#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks it as a user's machine would see it:
# exactly the expected files, a valid desktop entry and AppStream data that point at installed
# files, icons of the sizes their folders name, manual pages that name every option of the
# programs' --help, a valid judge service unit, and the installed Quillet's first run.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/quillet-install.XXXXXX)
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
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
usr/share/doc/quillet/user-guide.html
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
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$dest/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$dest/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
for png in "$dest"/usr/share/icons/hicolor/*x*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file -b "$png" | grep -q "^PNG image data, ${size/x/ x }," || fail "$png is not $size"
done

# Manual pages: every option that --help names is named in the page.
for program in quillet-check quillet-judge; do
  page=$(zcat "$dest/usr/share/man/man1/$program.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\[,/]//g')
  options=$("$dest/usr/bin/$program" --help | grep -oE '(^|[ ,])--?[a-zA-Z][a-zA-Z-]*' | sed 's/^[ ,]//' | sort -u)
  [ -n "$options" ] || fail "$program --help names no option"
  for option in $options; do
    grep -qE -- "(^|[^a-zA-Z-])$option([^a-zA-Z-]|\$)" <<<"$page" || fail "$program(1) lacks $option"
  done
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

[ "$failures" -eq 0 ] && echo "install: every check passed"
exit "$failures"
