#!/bin/sh
# The tests' prefix as the build leaves it, the one the throwaway prefixes are copied from. Copied
# while nothing runs in it: a throwaway copy taken of the shared prefix during a run could meet a file
# that a test there is creating or removing, or a registration it has half made.
# Usage: make-prefix-template.sh <prefix> <template>
set -e
. "$(dirname "$0")/throwaway-prefix.sh"
# The registry reaches its files when the prefix's server ends; one kept alive on purpose (a test run's
# "wineserver -p") is asked to end after a minute.
export WINEPREFIX="$1"
timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
copy_prefix "$1" "$2.new"
rm -rf "$2"
mv "$2.new" "$2"
touch "$2/.omni-template"
