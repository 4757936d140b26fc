# Sourced by scripts that must change what the system has (remove a class registration, repair a
# setting) without changing the prefix that other tests use:
#   . tools/exit-cleanup.sh; . tools/throwaway-prefix.sh; enter_throwaway_prefix <from prefix> <copy>
# The registry files are copied, with the update stamp (without it Wine rebuilds the copy's
# configuration first, some 14 s); drive C is linked file by file, which costs no space, since Wine
# writes only the registry files. OMNI_WINEPREFIX then names the copy, for wine-run.sh. The copy and
# its own wineserver go when the script ends, also when ctest stops it, and whether or not that
# wineserver is still running then.
enter_throwaway_prefix() {
    throwaway_prefix="$2"
    if command -v at_exit >/dev/null 2>&1; then
        at_exit leave_throwaway_prefix
    else  # a caller without tools/exit-cleanup.sh
        trap leave_throwaway_prefix EXIT
        trap 'exit 143' INT TERM
    fi
    copy_prefix "$1" "$2" || return 1
    export OMNI_WINEPREFIX="$2"
}

# Ends the copy's wineserver, which saves the registry before it goes, then removes the copy. Neither
# may fail the script: on a slow machine the server has often ended by itself already.
leave_throwaway_prefix() {
    WINEPREFIX="$throwaway_prefix" wineserver -k 2>/dev/null || :
    WINEPREFIX="$throwaway_prefix" wineserver -w 2>/dev/null || :
    rm -rf "$throwaway_prefix" || :
}

# copy_prefix <from prefix> <to>: the copy described above, without entering it.
copy_prefix() {
    rm -rf "$2" && mkdir -p "$2" &&
        cp -a "$1"/*.reg "$1"/.omni-ready "$1"/.update-timestamp "$2"/ &&
        cp -a "$1/dosdevices" "$2/" &&
        cp -al "$1/drive_c" "$2/drive_c"
}
