# Cleanup at exit that never decides how a script ends; sourced by sh and bash scripts alike:
#   . tools/exit-cleanup.sh; at_exit 'kill $server 2>/dev/null'
# Every command given runs once when the script ends, the last given first, also when INT or TERM ends
# it (as 130 or 143). What it cleans may be gone already (a process that ended, a folder removed): a
# command that fails neither stops the ones after it nor changes the script's exit status, under
# set -e and set -u too; a command in an EXIT trap that fails under set -e would end the script with 1.
exit_cleanups=""

at_exit() {
    exit_cleanups="$1
$exit_cleanups"
    trap run_exit_cleanups EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

run_exit_cleanups() {
    exit_status=$?
    set +eu
    eval "$exit_cleanups"
    exit "$exit_status"
}
