#!/usr/bin/env bash
# Removes what `make install` installed: every file its install manifest names (under the same
# DESTDIR), then the folders of Quillet's own that are left empty.
#   scripts/uninstall.sh BUILD_DIR/install_manifest.txt
set -eu
manifest=$1
if [ ! -f "$manifest" ]; then
  echo "uninstall: $manifest is missing: nothing was installed from this build" >&2
  exit 1
fi
removed=0
while IFS= read -r file || [ -n "$file" ]; do  # the manifest's last line has no line feed
  path="${DESTDIR:-}$file"
  if [ -e "$path" ] || [ -L "$path" ]; then
    rm -f -- "$path"
    removed=$((removed + 1))
    # share/quillet and share/doc/quillet hold nothing but Quillet's files.
    case "$(dirname "$path")" in
      */quillet) rmdir --ignore-fail-on-non-empty -- "$(dirname "$path")" ;;
    esac
  fi
done <"$manifest"
echo "uninstall: removed $removed files"
