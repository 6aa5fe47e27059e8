#!/bin/sh
# Installs the build into a temporary prefix (with a blank in its name) and checks
# that the result is a desktop program: launcher, menu entry, metainfo and icons
# are where desktops look for them and pass their validators, and the installed
# launcher brings up the survey window when started from another folder.
# Usage: install-test.sh BUILD_DIR APPLICATION_ID INSTALL_DIR
set -eu
build=$1 id=$2 appdir_rel=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/the prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

launcher="$prefix/bin/tavro-survey"
appdir="$prefix/$appdir_rel"
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
icons="$prefix/share/icons/hicolor"

[ -x "$launcher" ] || fail "no launcher $launcher"
[ -x "$appdir/tavro-survey" ] || fail "no program in $appdir"
for f in "$appdir/resources/survey-ui.glade" "$appdir/data-files/data-file-info.txt" \
         "$desktop" "$metainfo" "$icons/scalable/apps/$id.svg"; do
    [ -s "$f" ] || fail "missing or empty: $f"
done

# Each PNG must really have the size of the folder it is in (width and height
# are the big-endian words at bytes 16 and 20 of the header).
png_side() { od -An -tu1 -j"$2" -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
for size in 16 32 64 128 256; do
    png="$icons/${size}x${size}/apps/$id.png"
    [ -s "$png" ] || fail "missing icon $png"
    [ "$(png_side "$png" 16)x$(png_side "$png" 20)" = "${size}x${size}" ] ||
        fail "$png is not ${size}x${size}"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"

# The entries must point at what was installed, under the application id.
grep -qx "Exec=tavro-survey" "$desktop" || fail "Exec is not the launcher"
grep -qx "Icon=$id" "$desktop" || fail "Icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q ">$id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $id.desktop"

# Start it from elsewhere with a private HOME and an unreachable server; it must
# still be running once its window is up, and say nothing about a failure.
home="$tmp/home"
mkdir -p "$home"
cd "$tmp"
status=0
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" TAVRO_SERVER_URL=http://127.0.0.1:9 NO_AT_BRIDGE=1 \
    timeout -k 5 60 xvfb-run -a sh -c '
        "$1" & pid=$!
        i=0
        while [ $i -lt 150 ]; do
            kill -0 $pid 2>/dev/null || { wait $pid; echo "launcher exited with $?"; exit 1; }
            if xwininfo -root -tree | grep -q "\"TAVRO Survey\""; then
                sleep 2
                kill -0 $pid 2>/dev/null || { wait $pid; echo "launcher exited with $?"; exit 1; }
                kill $pid
                exit 0
            fi
            sleep 0.2
            i=$((i + 1))
        done
        kill $pid
        echo "no survey window after 30 seconds"
        exit 1' sh "$launcher" > "$tmp/run.log" 2>&1 || status=$?
cat "$tmp/run.log"
[ $status -eq 0 ] || fail "installed program did not come up (status $status)"
if grep -q "Failed to" "$tmp/run.log"; then fail "installed program reported a failure"; fi
echo "installed into $prefix and started: ok"
