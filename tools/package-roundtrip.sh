#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR (default build/, already built) and takes it
# through a user's life: install over an older build of it, start the installed
# program on an X server of its own and close it, install the same version again, remove and
# purge. The user's settings file must outlive all of it. Installs and removes the
# package on this machine (as root or through sudo) and refuses to run when tavrix is
# installed already.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
fail() {
    echo "package round trip: $*"
    exit 1
}
installed() { dpkg-query -W -f='${Status}' tavrix 2> /dev/null | grep -q "install ok installed"; }
installed_files() {
    dpkg-query -L tavrix | while read -r path; do
        [ -f "$path" ] && printf '%s\n' "${path#/}"
    done | LC_ALL=C sort
}
expected_files() { sed 's|^|usr/|' dist/install-manifest.txt; }

installed && fail "tavrix is installed already; remove it first"
work=$(mktemp -d)
ours=false
cleanup() {
    if $ours && dpkg-query -W tavrix > /dev/null 2>&1; then
        "${sudo[@]}" dpkg --purge tavrix > /dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "-- building the package"
rm -f "$build"/tavrix_*.deb
(cd "$build" && cpack -G DEB > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$build"/tavrix_*_"$(dpkg --print-architecture)".deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb=$(realpath "${debs[0]}")
version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): $version, depends on $depends"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[ "$maintainer" = "The Tavrix developers <tavrix@users.noreply.invalid>" ] \
    || fail "the package's maintainer is \"$maintainer\", not the project's own"
for needed in fonts-liberation libqt6widgets6 libqt6svg6 libc6; do
    grep -qE "(^|, )$needed( |,|$)" <<< "$depends" || fail "Depends lacks $needed"
done
diff -u <(expected_files) \
    <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | LC_ALL=C sort) \
    || fail "the package's files differ from dist/install-manifest.txt (- expected, + packaged)"

# An older build: lower version, and the file names used before the application id.
older=$work/older
dpkg-deb -R "$deb" "$older"
sed -i "s/^Version: .*/Version: ${version}~older/" "$older/DEBIAN/control"
mv "$older/usr/share/applications/org.tavrix.tavrix.desktop" "$older/usr/share/applications/tavrix.desktop"
mv "$older/usr/share/metainfo/org.tavrix.tavrix.metainfo.xml" "$older/usr/share/metainfo/tavrix.metainfo.xml"
(cd "$older" && find usr -type f -exec md5sum {} + > DEBIAN/md5sums)
dpkg-deb --root-owner-group -b "$older" "$work/tavrix-older.deb" > /dev/null

echo "-- installing the older build"
ours=true
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends \
    "$work/tavrix-older.deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
[ "$(dpkg-query -W -f='${Version}' tavrix)" = "${version}~older" ] || fail "the older build is not installed"

echo "-- upgrading to $version"
"${sudo[@]}" dpkg -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
[ "$(dpkg-query -W -f='${Version}' tavrix)" = "$version" ] || fail "$version is not installed"
diff -u <(expected_files) <(installed_files) || fail "installed files differ after the upgrade"
for gone in /usr/share/applications/tavrix.desktop /usr/share/metainfo/tavrix.metainfo.xml; do
    [ ! -e "$gone" ] || fail "the upgrade left the older build's $gone behind"
done

echo "-- starting the installed program"
home=$work/home
mkdir -p "$home"
settings=$home/.config/tavrix/user.reg
[ "$(command -v tavrix)" = /usr/bin/tavrix ] || fail "tavrix on the PATH is $(command -v tavrix)"
HOME=$home env -u XDG_CONFIG_HOME -u QT_QPA_PLATFORM \
    tests/with-xserver.sh tests/app/e2e_startup.sh tavrix
[ -s "$settings" ] || fail "the program left no settings file in $settings"
before=$(sha256sum < "$settings")

echo "-- installing $version again"
"${sudo[@]}" dpkg -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i again failed"; }
diff -u <(expected_files) <(installed_files) || fail "installed files differ after reinstalling"

echo "-- removing and purging"
"${sudo[@]}" dpkg --remove tavrix > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --remove failed"; }
"${sudo[@]}" dpkg --purge tavrix > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge failed"; }
ours=false
! dpkg-query -W tavrix > /dev/null 2>&1 || fail "dpkg still knows tavrix after the purge"
while read -r path; do
    [ ! -e "/usr/$path" ] || fail "/usr/$path is still there after the purge"
done < dist/install-manifest.txt
[ "$(sha256sum < "$settings")" = "$before" ] || fail "the user's settings file changed or went away"
echo "package round trip: installed over an older build, ran, reinstalled, removed; settings kept"
