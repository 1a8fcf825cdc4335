#!/bin/sh
# Runs a browser check of a generated catalog: installs the locked npm packages on first
# use, then walks the catalog in headless Chromium.
# Usage: e2e/run.sh PATH/TO/fotoloom-cli [SCRIPT]   (SCRIPT: catalog_in_browser.mjs by default)
# Exit 77 (a skipped test for CTest) when node or the browser is missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:?usage: run.sh PATH/TO/fotoloom-cli [SCRIPT]}
script=${2:-catalog_in_browser.mjs}
# Absolute, since the script runs from its own folder.
case $cli in /*) ;; *) cli=$(pwd)/$cli ;; esac

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "$script: skipped, node and npm are not installed" >&2
  exit 77
fi
if [ ! -x "${CHROMIUM:-/usr/bin/chromium}" ]; then
  echo "$script: skipped, no browser at ${CHROMIUM:-/usr/bin/chromium}" >&2
  exit 77
fi

cd "$here"
# The browser tests run side by side and `npm ci` empties node_modules first: one installs
# under the lock while the others wait, and the marker says the install finished.
install() {
  if [ ! -f node_modules/.fotoloom-installed ]; then
    npm ci --no-audit --no-fund --loglevel=error
    touch node_modules/.fotoloom-installed
  fi
}
if command -v flock >/dev/null 2>&1; then
  exec 9>"$here/.npm-install.lock"
  flock 9
  install
  flock -u 9
  exec 9>&-
else
  install
fi
exec node "$script" "$cli"
