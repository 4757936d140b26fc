#!/usr/bin/env bash
# Installs, on a fresh Debian 12 machine (as root), everything the build and the tests need.
# Idempotent: a second run installs nothing. --missing lists the packages it would install, one a line.
# --help: this text. --desk: only what the desk's receiver and its proxy need (scripts/desk.sh): no Wine, no i386
# architecture, no mingw, Chromium or qemu.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

# The desk's receiver (omniprobe-desk) and nginx in front of it.
desk=(g++ cmake make pkg-config libcpp-httplib-dev libsqlite3-dev libpqxx-dev libpugixml-dev nlohmann-json3-dev
      libssl-dev libicu-dev nginx-light)
need=(wine wine32:i386 wine64 mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
      libwine-dev xvfb xauth x11-utils cmake make googletest imagemagick x11-apps fonts-nanum
      python3 wixl  # python3: the tests' local content server (tools/content_server.py); wixl: a test .msi
      gcab osslsigncode openssl  # the signed CAB of the browser's install
      chromium clang libclang-rt-14-dev  # the embedding page's browser tests; the parsers' fuzzers
      "${desk[@]}" libgtest-dev postgresql strace)  # the desk's tests: PostgreSQL's server, the sync trace

only_desk=false missing_only=false
for arg in "$@"; do
    case "$arg" in
        --desk) only_desk=true ;;
        --missing) missing_only=true ;;
        --help|-h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
        *) echo "setup.sh: unknown option $arg" >&2; exit 2 ;;
    esac
done
if $only_desk; then need=("${desk[@]}"); fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${need[@]}"; do installed "$p" || missing+=("$p"); done
# ESLint and the browser driver of the page's tests come from npm, with the machine's Node.js;
# Debian's Node.js stands in where the machine has none.
$only_desk || command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)

# Some virtual machines run 64-bit user code only: a 32-bit ELF (the loader of 32-bit Wine)
# fails with "Exec format error". There, 32-bit Linux code runs under qemu's user-mode emulator,
# registered for i386 ELF files. qemu 10 (bookworm-backports) is the version tried here.
qemu_missing() {
    ! { [ -x /usr/bin/qemu-i386-static ] && qemu-i386-static --version | grep -q 'version 10'; }
}

if $missing_only; then
    [ ${#missing[@]} -eq 0 ] || printf '%s\n' "${missing[@]}"
    # Known only once Wine is there; otherwise the installation finds out.
    if ! $only_desk && installed wine32:i386 && ! /usr/lib/wine/wine --version >/dev/null 2>&1 && qemu_missing; then
        echo qemu-user-static
    fi
    exit 0
fi

if [ ${#missing[@]} -gt 0 ]; then
    $only_desk || dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
$only_desk && exit 0

if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    if qemu_missing; then
        if ! [ -f /etc/apt/sources.list.d/omniprobe-backports.sources ]; then
            cat > /etc/apt/sources.list.d/omniprobe-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
        fi
        apt-get update -q
        apt-get install -y -q --no-install-recommends -t bookworm-backports qemu-user-static
    fi
    [ -f /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if ! [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > /proc/sys/fs/binfmt_misc/register
    fi
    /usr/lib/wine/wine --version >/dev/null
fi
