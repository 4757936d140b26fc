#!/bin/sh
# Cleanup at exit never changes how a script ends. A script under set -e (in sh and in bash) enters a
# throwaway prefix whose wineserver is gone by the time it ends, as on a slow machine, and cleans up
# after a process that has ended too: it must end with its own status, and the copy must be gone.
# The same without tools/exit-cleanup.sh, for callers that set traps of their own. Argument: the
# source folder.
root="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# What copy_prefix copies; no wineserver ever runs for it.
from="$scratch/template"
mkdir -p "$from/dosdevices" "$from/drive_c"
touch "$from/system.reg" "$from/.omni-ready" "$from/.update-timestamp"

failed=0
check() {  # check <shell> <with exit-cleanup.sh: yes|no> <last command> <expected status>
    copy="$scratch/copy"
    helper=""
    [ "$2" = no ] || helper=". '$root/tools/exit-cleanup.sh'; sleep 0 & ended=\$!; wait \$ended; at_exit 'kill \$ended'"
    $1 -c "set -eu; $helper
        . '$root/tools/throwaway-prefix.sh'
        enter_throwaway_prefix '$from' '$copy'
        [ -d \"\$OMNI_WINEPREFIX/drive_c\" ]
        $3" 2>"$scratch/err"
    rc=$?
    if [ "$rc" != "$4" ] || [ -e "$copy" ]; then
        echo "FAIL: $1, exit-cleanup.sh $2, ending with '$3': status $rc (expected $4), copy left: $([ -e "$copy" ] && echo yes || echo no)"
        cat "$scratch/err"
        failed=1
    fi
}
for shell in sh bash; do
    check $shell yes true 0
    check $shell yes 'exit 3' 3
    check $shell yes false 1
    check $shell no true 0
    check $shell no 'exit 3' 3
done
[ "$failed" = 0 ] && echo "every cleanup kept the script's status and removed the copy"
exit $failed
