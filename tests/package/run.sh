#!/bin/sh
# The Debian package as a user gets it: built with CPack, unpacked, its file list and metadata
# checked, its two programs run from the unpacked tree on the sample album.
# Usage: tests/package/run.sh CPACK BUILD_DIR VERSION   (exit 77: no dpkg-deb on this machine)
set -eu
cpack=$1
build=$(cd "$2" && pwd)
version=$3
here=$(cd "$(dirname "$0")" && pwd)
album="$here/../../examples/sample-album"

command -v dpkg-deb >/dev/null || { echo "package: dpkg-deb is missing, skipped"; exit 77; }
fail() { echo "package: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli lintian; do
  command -v $tool >/dev/null || fail "$tool is missing (make deps installs it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fotoloom-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Built into a folder of its own, so that a `make package` at the same time is not disturbed.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$work/out/fotoloom_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"

dpkg-deb -x "$deb" "$work/root"
(cd "$work/root" && find . ! -type d | LC_ALL=C sort) >"$work/contents.txt"
diff -u "$here/contents.txt" "$work/contents.txt" || fail "the package holds other files"

# One version: the package's (the project's) is the changelog's newest entry.
changelog=$(gzip -dc "$work/root/usr/share/doc/fotoloom/changelog.gz" | head -n 1)
case "$changelog" in "fotoloom ($version) "*) ;; *) fail "changelog starts '$changelog'" ;; esac

# Dependencies come from dpkg-shlibdeps reading the programs.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libjpeg62-turbo libpng16-16 libheif1 libwebp7 libwebpdemux2 libtiff6 \
    libqt6widgets6; do
  case "$depends" in *"$library "* | *"$library,"* | *"$library") ;;
    *) fail "Depends lacks $library: $depends" ;;
  esac
done

share="$work/root/usr/share"
desktop-file-validate "$share/applications/fotoloom.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "appstreamcli validate"
lintian --fail-on error "$deb" || fail "lintian found errors"

# The programs, through their launchers, on copies of the sample album.
photos=$(ls "$album" | grep -ciE '\.(bmp|jpe?g|png)$')
catalog_made() {
  [ -f "$1/_cat.html" ] || fail "$2 made no catalog"
  thumbnails=$(ls "$1/fldata" | grep -ci '\.jpg$')
  [ "$thumbnails" = "$photos" ] || fail "$2 made $thumbnails thumbnails for $photos photos"
}
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"

cp -R "$album" "$work/cli-album"
page=$("$work/root/usr/bin/fotoloom-cli" --no --quiet "$work/cli-album") ||
  fail "fotoloom-cli exited with $?"
[ "$page" = "$work/cli-album/_cat.html" ] || fail "fotoloom-cli printed '$page'"
catalog_made "$work/cli-album" fotoloom-cli

sizes=$("$work/root/usr/bin/fotoloom-thumb" "$album/$(ls "$album" | grep -iE '\.jpe?g$' | head -n 1)" \
        "$work/thumb.jpg") || fail "fotoloom-thumb exited with $?"
[ -s "$work/thumb.jpg" ] || fail "fotoloom-thumb printed '$sizes' and wrote nothing"

# The window, unattended: it checks every page, generates and ends by itself.
cp -R "$album" "$work/window-album"
QT_QPA_PLATFORM=offscreen timeout 300 "$work/root/usr/bin/fotoloom" "$work/window-album" ||
  fail "fotoloom exited with $?"
catalog_made "$work/window-album" "the window"

echo "package: $(basename "$deb") checked"
