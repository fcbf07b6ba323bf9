#!/usr/bin/env bash
# Installs into a temporary prefix and checks what a user gets: the files,
# the desktop entries and AppStream data, a settings file that survives a
# reinstall, the installed launcher finding its folder, its command line,
# one gauge per display, the release tarball, the Debian package (its files,
# dependencies and lintian) and the uninstall target after both.
# Usage: install-test.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
prefix=$work/prefix
folder=$prefix/lib/dimmerling
id=org.example.Dimmerling
pids=()
failures=0

# The test's installs and packages must not replace the records of real ones.
mkdir "$work/manifests"
cp -p "$build"/install_manifest*.txt "$work/manifests/" 2>/dev/null || true

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -f "$build"/install_manifest*.txt
    cp -p "$work"/manifests/* "$build/" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }

install_into() { cmake --install "$build" --prefix "$1" > "$work/install.log"; }

# Runs the installed launcher offscreen, in the background, from another
# folder; its pid goes to $started.
start_gauge() {
    local display=$1 log=$2
    (cd "$work" && exec env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR="$work/runtime" DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent \
        DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$prefix/bin/dimmerling" 2> "$log") &
    started=$!
    pids+=("$started")
}

wait_for() { local i; for i in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
alive() { kill -0 "$1" 2>/dev/null; }
ended() { ! alive "$1"; }

echo "== files"
install_into "$prefix"
for file in bin/dimmerling lib/dimmerling/dimmerling lib/dimmerling/settings.ini \
    share/applications/$id.desktop share/dimmerling/dimmerling-autostart.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/doc/dimmerling/README.md share/doc/dimmerling/LICENSE share/man/man1/dimmerling.1.gz; do
    check "$file is installed" test -e "$prefix/$file"
done
check "the launcher is a relative link to the program" \
    test "$(readlink "$prefix/bin/dimmerling")" = ../lib/dimmerling/dimmerling
check "the launcher runs" test -x "$prefix/bin/dimmerling"
for size in 16 32 48; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    check "the $size px icon is a $size x $size PNG" test "$(png_size "$png" 2>/dev/null)" = "${size}x$size"
done
check "the default settings sit beside the program" cmp -s "$source/resources/settings.ini" "$folder/settings.ini"

echo "== desktop entries and AppStream data"
for entry in "$prefix/share/applications/$id.desktop" "$prefix/share/dimmerling/dimmerling-autostart.desktop"; do
    check "$(basename "$entry") is valid" desktop-file-validate "$entry"
    check "$(basename "$entry") starts the installed launcher" grep -qx "Exec=$prefix/bin/dimmerling" "$entry"
    check "$(basename "$entry") names the installed icon" grep -qx "Icon=$id" "$entry"
done
check "the man page formats without warnings" \
    test -z "$(man --warnings -l "$prefix/share/man/man1/dimmerling.1.gz" 2>&1 > /dev/null)"
check "the metainfo file is valid" appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
check "the metainfo file launches the menu entry" \
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml"

echo "== a reinstall keeps the user's settings"
printf '; mine\r\n[PowerMenu]\r\nMoveMouseOver=0\r\nHideWhenFull=1\r\n' > "$folder/settings.ini"
cp -p "$folder/settings.ini" "$work/settings.mine"
install_into "$prefix"
check "settings.ini is unchanged byte for byte" cmp -s "$work/settings.mine" "$folder/settings.ini"
check "the install says it kept it" grep -q "Kept: .*settings.ini" "$work/install.log"

echo "== the installed launcher finds its folder"
mkdir -m 700 "$work/runtime"
rm "$folder/settings.ini"
start_gauge :41 "$work/first.log"
first=$started
check "it writes the default settings.ini beside the program" wait_for test -s "$folder/settings.ini"
check "that file is the shipped default" cmp -s "$source/resources/settings.ini" "$folder/settings.ini"
check "it writes nothing where it was started" test ! -e "$work/settings.ini"

echo "== command line, without a display"
# Runs the installed launcher with these arguments; sets $status, $work/out and $work/err.
# $display, when set, names a display nobody serves.
command_line() {
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${display:+DISPLAY=$display} \
        "$prefix/bin/dimmerling" "$@" > "$work/out" 2> "$work/err" || status=$?
}
version=$(sed -n 's/^project(dimmerling VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
command_line --help
check "--help ends with status 0" test "$status" = 0
check "--help prints the usage and both options" \
    test "$(grep -c -e '^Usage: dimmerling \[options\]' -e '-h, --help' -e '-v, --version' "$work/out")" = 3
command_line --version
check "--version prints the project's version, with status 0" \
    test "$status:$(cat "$work/out")" = "0:dimmerling $version"
for wrong in --bogus -x extra; do
    command_line "$wrong"
    check "'$wrong' ends with status 2" test "$status" = 2
    check "'$wrong' prints the usage on standard error only" \
        test ! -s "$work/out" -a "$(grep -c '^Usage: dimmerling' "$work/err")" = 1
done

for display in "" :4711; do
    command_line
    check "without a display${display:+ to reach} it ends with status 1, saying why in one line" \
        test "$status:$(wc -l < "$work/err"):$(grep -c 'needs a graphical session' "$work/err")" = 1:1:1
done
display=

echo "== one gauge per display"
start_gauge :41 "$work/second.log"
second=$started
check "a second start on the same display ends at once" wait_for ended "$second"
status=0; wait "$second" || status=$?
check "with status 1" test "$status" = 1
check "saying so on standard error" grep -q "already running on display :41" "$work/second.log"
check "the first gauge keeps running" alive "$first"
start_gauge :41.0 "$work/screen.log"
check "another screen of the same display counts as the same" wait_for ended "$started"
start_gauge :42 "$work/other.log"
other=$started
sleep 1
check "a start on another display is not refused" alive "$other"
kill "$other"
kill -KILL "$first"
wait "$first" 2>/dev/null || true
start_gauge :41 "$work/again.log"
sleep 1
check "a killed gauge does not block the next start" alive "$started"
kill "$started"

echo "== release tarball"
# Packing must leave the record of the install alone for the uninstall target.
cp -p "$build/install_manifest.txt" "$work/install.manifest"
cpack --config "$build/CPackConfig.cmake" -B "$work/pack" > "$work/pack.log"
tarball=$(ls "$work"/pack/dimmerling-*.tar.gz)
mkdir "$work/unpacked"
tar -xzf "$tarball" -C "$work/unpacked"
top=$(ls -d "$work"/unpacked/dimmerling-*)
for file in README.md bin/dimmerling lib/dimmerling/dimmerling lib/dimmerling/settings.ini \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml; do
    check "the tarball holds $file" test -e "$top/$file"
done
check "its README has the run instructions" grep -q "bin/dimmerling" "$top/README.md"
check "its menu entry finds the launcher on the PATH" grep -qx "Exec=dimmerling" "$top/share/applications/$id.desktop"
check "its menu entry is valid" desktop-file-validate "$top/share/applications/$id.desktop"

echo "== Debian package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" > "$work/deb.log"
deb=$work/deb/dimmerling_${version}_$(dpkg --print-architecture).deb
check "cpack -G DEB makes $(basename "$deb")" test -f "$deb"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort > "$work/deb.files"
sort > "$work/deb.expected" <<EOF
./etc/xdg/autostart/dimmerling.desktop
./etc/xdg/dimmerling/settings.ini
./usr/bin/dimmerling
./usr/share/applications/$id.desktop
./usr/share/doc/dimmerling/README.md
./usr/share/doc/dimmerling/changelog.gz
./usr/share/doc/dimmerling/copyright
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man1/dimmerling.1.gz
./usr/share/metainfo/$id.metainfo.xml
EOF
check "it holds the system layout, nothing else" diff "$work/deb.expected" "$work/deb.files"
check "root owns it all, and its folders are 755" \
    test -z "$(dpkg-deb -c "$deb" | awk '$2 != "root/root" || ($1 ~ /^d/ && $1 != "drwxr-xr-x")')"
check "its dependencies come from dpkg-shlibdeps" \
    test -n "$(dpkg-deb -f "$deb" Depends | grep -E 'libqt6widgets6 \(>= [0-9.]+\)')"
check "the autostart entry and the default settings are conffiles" \
    test "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)" \
    = "$(printf '%s\n' /etc/xdg/autostart/dimmerling.desktop /etc/xdg/dimmerling/settings.ini)"
check "the changelog's latest entry is this version" \
    test "$(dpkg-parsechangelog -l "$source/dist/deb/changelog" -S Version)" = "$version"
mkdir "$work/deb-files"
dpkg-deb -x "$deb" "$work/deb-files"
check "the default settings are the shipped ones" \
    cmp -s "$source/resources/settings.ini" "$work/deb-files/etc/xdg/dimmerling/settings.ini"
check "the program is stripped" \
    test -z "$(readelf -S "$work/deb-files/usr/bin/dimmerling" | grep -e '\.debug_' -e '\.symtab')"
for entry in "$work/deb-files/usr/share/applications/$id.desktop" \
    "$work/deb-files/etc/xdg/autostart/dimmerling.desktop"; do
    check "$(basename "$entry") is valid" desktop-file-validate "$entry"
    check "$(basename "$entry") starts dimmerling from the PATH" grep -qx "Exec=dimmerling" "$entry"
done
status=0
# lintian leaves files in TMPDIR: in the test's folder they go with it.
TMPDIR=$work lintian --fail-on error,warning "$deb" > "$work/lintian.log" 2>&1 || status=$?
grep -v 'root privileges' "$work/lintian.log" | sed 's/^/    lintian: /' || true
check "lintian reports no errors and no warnings" test "$status" = 0
check "packing left the record of the install alone" cmp -s "$work/install.manifest" "$build/install_manifest.txt"

echo "== uninstall"
cmake --build "$build" --target uninstall > "$work/uninstall.log"
check "the program, the launcher and the entries are gone" \
    test ! -e "$folder/dimmerling" -a ! -L "$prefix/bin/dimmerling" -a ! -e "$prefix/share/applications/$id.desktop" \
    -a ! -e "$prefix/share/icons/hicolor/48x48/apps/$id.png" -a ! -e "$prefix/share/dimmerling" \
    -a ! -e "$prefix/share/man/man1/dimmerling.1.gz"
check "the user's settings stay" test -e "$folder/settings.ini"

[ "$failures" -eq 0 ] && echo "all install checks passed" || echo "$failures install checks failed"
exit $((failures > 0))
