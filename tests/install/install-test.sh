#!/bin/sh
# Installs the build and checks that desktops find launcher, menu entry, metainfo
# and icons, that these pass their validators, and that the installed launcher,
# started from another folder, brings up the survey window.
# Usage: install-test.sh BUILD_DIR APPLICATION_ID INSTALL_DIR [deb]
# Without "deb" it installs into a temporary prefix with a blank in its name; with
# "deb" it builds the Debian package, checks its dependencies, that apt would
# install it here, and checks the unpacked package the same way.
set -eu
build=$1 id=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
locate() {
    prefix=$1
    launcher="$prefix/bin/tavro-survey" appdir="$prefix/$2" icons="$prefix/share/icons/hicolor"
    desktop="$prefix/share/applications/$id.desktop" metainfo="$prefix/share/metainfo/$id.metainfo.xml"
}

if [ "${4:-}" = deb ]; then
    (cd "$build" && cpack -G DEB -B "$tmp/deb") > "$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack"; }
    deb=$(ls "$tmp"/deb/tavro-survey_*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for need in bzip2 tar libgtkmm-3.0-1v5 libxml++2.6-2v5 libsoup2.4-1; do
        case ", $depends," in *", $need ("* | *", $need,"*) ;; *) fail "no dependency on $need" ;; esac
    done
    # Everything the package holds lies under /usr, nothing under a build folder.
    ! dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v -e '^\./$' -e '^\./usr/' | grep -q . || fail "files outside /usr"
    apt-get install -s "$deb" > "$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get would not install $deb"; }
    dpkg-deb -x "$deb" "$tmp/root"
    locate "$tmp/root/usr" "$3"
else
    locate "$tmp/the prefix" "$3"
    cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }
fi
[ -x "$launcher" ] && [ -x "$appdir/tavro-survey" ] || fail "launcher or program missing"
for f in "$appdir/resources/survey-ui.glade" "$appdir/data-files/data-file-info.txt" \
         "$desktop" "$metainfo" "$icons/scalable/apps/$id.svg"; do
    [ -s "$f" ] || fail "missing or empty: $f"
done
# Each PNG must have the size of its folder (big-endian width and height at bytes 16 and 20).
side() { od -An -tu1 -j"$2" -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
for size in 16 32 64 128 256; do
    png="$icons/${size}x${size}/apps/$id.png"
    [ -s "$png" ] && [ "$(side "$png" 16)x$(side "$png" 20)" = "${size}x${size}" ] || fail "bad icon $png"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
grep -qx "Exec=tavro-survey" "$desktop" && grep -qx "Icon=$id" "$desktop" || fail "Exec or Icon wrong"
grep -q "<id>$id</id>" "$metainfo" && grep -q ">$id.desktop</launchable>" "$metainfo" || fail "metainfo id"

# A private HOME and an unreachable server; the program must still be running two
# seconds after its window is up, and print no failure.
home="$tmp/home"
mkdir -p "$home"
cd "$tmp"
status=0
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" TAVRO_SERVER_URL=http://127.0.0.1:9 NO_AT_BRIDGE=1 \
    timeout -k 5 60 xvfb-run -a sh -c '
        "$1" & pid=$!
        for i in $(seq 150); do
            xwininfo -root -tree | grep -q "\"TAVRO Survey\"" && sleep 2 && break
            sleep 0.2
        done
        kill -0 $pid 2>/dev/null || { wait $pid; echo "launcher exited with $?"; exit 1; }
        kill $pid
        [ $i -lt 150 ] || { echo "no survey window after 30 seconds"; exit 1; }' sh "$launcher" \
    > "$tmp/run.log" 2>&1 || status=$?
cat "$tmp/run.log"
[ $status -eq 0 ] || fail "installed program did not come up (status $status)"
! grep -q "Failed to" "$tmp/run.log" || fail "installed program reported a failure"
