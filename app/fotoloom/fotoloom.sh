#!/bin/sh
# Launcher installed in PREFIX/bin: starts the program of the same name from PREFIX/lib/fotoloom,
# the folder where it keeps its help, default.jpg and (when writable) Settings.ini.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/fotoloom/$(basename "$0")" "$@"
