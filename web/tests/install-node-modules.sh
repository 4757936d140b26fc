#!/bin/sh
# Installs the web tests' npm packages (ESLint, puppeteer-core) from the committed lock file into a folder
# of the build, once per lock file: npm ci empties the folder first and takes a while.
# Usage: install-node-modules.sh <folder with package.json and package-lock.json> <destination>
set -e
from="$(cd "$1" && pwd)"
to="$2"
if [ -d "$to/node_modules" ] && cmp -s "$from/package-lock.json" "$to/installed-lock.json"; then
    echo "npm packages up to date in $to"
    exit 0
fi
mkdir -p "$to"
rm -f "$to/installed-lock.json"
cp "$from/package.json" "$from/package-lock.json" "$to/"
cd "$to"
npm ci --no-audit --no-fund
cp package-lock.json installed-lock.json
