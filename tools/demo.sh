#!/bin/sh
# Makes the catalog of the sample album in a scratch copy and tells where it is.
# Usage: tools/demo.sh [BUILD_DIR]   (default: build; the program is BUILD_DIR/bin/fotoloom-cli)
# The copy lives in BUILD_DIR/demo and is made afresh each time; the settings are those the
# wizard window would use (BUILD_DIR/bin/Settings.ini, or its defaults).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
cli="$build/bin/fotoloom-cli"
demo="$build/demo"

if [ ! -x "$cli" ]; then
  echo "demo: $cli is not built yet (run make first)" >&2
  exit 2
fi

rm -rf "$demo"
mkdir -p "$demo"
cp -R "$root/examples/sample-album/." "$demo/"

page=$("$cli" --no "$demo")
echo
echo "Catalog of the sample album: $page"
echo "Open it in a browser, for example: xdg-open '$page'"
