#!/bin/sh
# Launcher installed in PREFIX/bin as fotoloom and fotoloom-cli: starts the program of the same
# name from PREFIX/lib/fotoloom, the folder where it finds its help and default.jpg.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/fotoloom/$(basename "$0")" "$@"
