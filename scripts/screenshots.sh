#!/bin/bash
# Writes a picture of each page of the survey window to OUT_DIR, so that the
# layout can be looked at without clicking through the program.
# Usage: scripts/screenshots.sh BUILD_DIR OUT_DIR   (the build must be done)
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 2
fi
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
tool="$build/survey-screenshots"
if [ ! -x "$tool" ]; then
    echo "$tool is missing: run make screenshots" >&2
    exit 1
fi

# The program reads resources/ and data-files/ from its installation folder.
stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" > /dev/null

# A private HOME keeps the user's saved surveys and downloaded data out of the pictures.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
rm -f "$out"/[0-9][0-9]-*.png
cd "$stage/$(sed -n 's/^TAVRO_INSTALL_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" NO_AT_BRIDGE=1 \
    xvfb-run -a -s "-screen 0 ${SCREEN:-1024x768}x24" "$tool" "$out"
