#!/bin/sh
# Starts the wizard from its own folder, where it keeps its help and pictures.
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/fotoloom/fotoloom" "$@"
