# Sourced by the test scripts: a scratch folder removed at exit, and the environment every test
# runs in (its own settings and runtime folders, GSettings in memory, Qt without a display).
scratch=$(mktemp -d /tmp/quillet-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=offscreen
