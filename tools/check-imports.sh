#!/bin/sh
# Fails when a shipped binary imports anything but system DLLs (the runtimes must be linked in).
status=0
for f in "$@"; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$f" | awk '/DLL Name/{print $3}')
    echo "$f: $(echo $dlls)"
    bad=$(echo "$dlls" | grep -i -E 'libstdc|libgcc|libwinpthread|msvcp|vcruntime|^lib')
    if [ -n "$bad" ]; then
        echo "  imports non-system DLLs: $bad"
        status=1
    fi
done
exit $status
