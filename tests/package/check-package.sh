#!/usr/bin/env bash
# Installs the build into a scratch prefix and validates what a desktop reads from it, then
# builds the Debian package, unpacks it into a scratch root and runs the binary inside.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The install, as `make install PREFIX=...` does it.
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
entry=$prefix/share/applications/hodgebin.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/hodgebin.svg
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml)
[ -x "$prefix/bin/hodgebin" ] || fail "no binary in bin/"
[ -s "$icon" ] || fail "no scalable icon"
grep -q '<svg' "$icon" || fail "the icon is no SVG"
desktop-file-validate "$entry" || fail "desktop entry does not validate"
grep -qx "Exec=$prefix/bin/hodgebin" "$entry" || fail "entry does not run the installed binary"
grep -qx "Exec=$prefix/bin/hodgebin --toggle" "$entry" || fail "no Open Drawer action"
appstreamcli validate --no-net "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo"
    fail "metainfo does not validate"
}

# The package, its dependencies read from the binary, and the binary it carries.
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
version=$("$build/bin/hodgebin" --version | awk '{print $2}')
deb=$scratch/package/hodgebin_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no package named $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
*libqt6widgets6*) ;;
*) fail "dependencies not computed from the binary: $depends" ;;
esac
contents=$(dpkg-deb -c "$deb")
for file in bin/hodgebin share/applications/hodgebin.desktop share/icons/hicolor/scalable/apps/hodgebin.svg \
    share/man/man1/hodgebin.1.gz share/doc/hodgebin/copyright; do
    grep -q "\./usr/$file\$" <<<"$contents" || fail "package lacks /usr/$file"
done
dpkg -x "$deb" "$scratch/root"
root=$scratch/root
grep -qx "Exec=/usr/bin/hodgebin" "$root/usr/share/applications/hodgebin.desktop" \
    || fail "packaged entry does not run /usr/bin/hodgebin"
[ "$(env -u DISPLAY "$root/usr/bin/hodgebin" --version)" = "hodgebin $version" ] \
    || fail "packaged binary reports another version"
help=$(env -u DISPLAY "$root/usr/bin/hodgebin" --help)
grep -q -- '--toggle' <<<"$help" || fail "packaged --help"

if command -v lintian >/dev/null; then
    lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" || fail "lintian errors"
fi
echo "package: $(basename "$deb"), Depends: $depends"
