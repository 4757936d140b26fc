#!/bin/sh
# Makes a throwaway copy of a Wine prefix for a test that must change what the system has (remove a
# class registration, say). The registry files are copied; drive C is linked file by file, which
# costs no space, since Wine writes only the registry files. Usage: throwaway-prefix.sh <from> <to>
set -e
from="$1"
to="$2"
rm -rf "$to"
mkdir -p "$to"
# The update stamp too: without it Wine rebuilds the copy's configuration first, some 14 s.
cp -a "$from"/*.reg "$from"/.omni-ready "$from"/.update-timestamp "$to"/
cp -a "$from/dosdevices" "$to/"
cp -al "$from/drive_c" "$to/drive_c"
