#!/usr/bin/env bash
# Runs a command as on a machine without IA-32 execution: every 32-bit ELF program that the command and
# its children start runs under qemu's user-mode emulator, as scripts/setup.sh registers it there. Only
# this command's processes are affected: they get a user and mount namespace of their own (the same user
# and group ids, mapped one to one) with a binfmt_misc instance of its own (Linux 6.7 or later), where
# qemu-i386 is registered; the machine's own registrations and every other process are left as they are.
# As root, with qemu-user-static installed (scripts/setup.sh installs it where it is needed).
# Usage: tools/under-qemu.sh <command> [arguments...], e.g. tools/under-qemu.sh bash .ci/run
#   --help   this text
set -euo pipefail
case "${1:-}" in
    --help|-h|"") sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; [ -n "${1:-}" ]; exit ;;
esac
[ -x /usr/bin/qemu-i386-static ] || { echo "under-qemu.sh: /usr/bin/qemu-i386-static is missing" >&2; exit 2; }
ready=$(mktemp -u)
mkfifo "$ready"
# The same registration as scripts/setup.sh's; F opens the emulator now, so it need not be visible later.
unshare --user --mount --propagation private bash -c '
    read -r _ <"$0" && rm -f "$0"
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf "%s" ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F" \
        >/proc/sys/fs/binfmt_misc/register
    exec "$@"' "$ready" "$@" &
child=$!
# The namespace exists once unshare has made it; then its ids are mapped one to one, and it may go on.
while kill -0 "$child" 2>/dev/null && [ "$(readlink "/proc/$child/ns/user")" = "$(readlink /proc/self/ns/user)" ]; do
    sleep 0.01
done
echo '0 0 4294967295' >"/proc/$child/uid_map"
echo '0 0 4294967295' >"/proc/$child/gid_map"
echo go >"$ready"
rc=0
wait "$child" || rc=$?
exit $rc
