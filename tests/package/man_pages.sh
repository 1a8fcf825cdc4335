#!/bin/sh
# The manual pages format without a warning, and fotoloom-cli's page names every option that
# `fotoloom-cli --help` lists.
# Usage: tests/package/man_pages.sh FOTOLOOM_CLI MAN_DIR   (exit 77: no man on this machine)
set -eu
cli=$1
dir=$2
command -v man >/dev/null || { echo "man_pages: man is missing, skipped"; exit 77; }
status=0

for page in "$dir"/*.1; do
  # The check Debian's lintian makes; troff reports on standard error and still exits 0.
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
             man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "man_pages: $page: $warnings" >&2
    status=1
  fi
done

# Options are written \-\-name in the page source.
for option in $("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  written=$(printf '%s\n' "$option" | sed 's/-/\\-/g')
  if ! grep -qF -- "$written" "$dir/fotoloom-cli.1"; then
    echo "man_pages: fotoloom-cli.1 does not describe $option" >&2
    status=1
  fi
done
[ $status = 0 ] && echo "man_pages: $(ls "$dir"/*.1 | wc -l) pages checked"
exit $status
