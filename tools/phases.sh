# Phases of a long command, for bash scripts that source this file. A phase prints one line on standard
# error when it starts and one with its time when it ends; what its commands print goes to its log. A
# failing phase prints its name, the last 20 lines of its log and the log's path, and ends the script
# with the command's exit code. Standard output is left to the script's own result.

phase_logs="" phase_name="" phase_started=0
phase_tty=0
[ -t 2 ] && phase_tty=1

# phases_init <folder of the logs>
phases_init() {
    phase_logs="$1"
    mkdir -p "$phase_logs"
}

phase_now() { date +%s%N; }

# The time since <start> (from phase_now): "4.2 s" or "3 min 07 s".
phase_since() {
    local ms=$(( ($(phase_now) - $1) / 1000000 ))
    if [ "$ms" -lt 60000 ]; then
        printf '%d.%d s' $((ms / 1000)) $((ms % 1000 / 100))
    else
        printf '%d min %02d s' $((ms / 60000)) $((ms % 60000 / 1000))
    fi
}

# The start line: the phase's name, what it does, and where its output goes (below the current folder
# as a relative path).
phase_announce() {
    printf '%s%s; output in %s\n' "$phase_name" "${1:+: $1}" "${phase_log#"$PWD"/}" >&2
}

# phase_begin <name> <log name> [what it does]
phase_begin() {
    phase_name="$1" phase_log="$phase_logs/$2.log" phase_started=$(phase_now)
    : >"$phase_log"
    phase_announce "${3:-}"
}

phase_end() {
    [ "$phase_tty" = 1 ] && printf '\r\033[K' >&2
    printf '%s: done in %s\n' "$phase_name" "$(phase_since "$phase_started")" >&2
}

# phase_fail <exit code>: never returns.
phase_fail() {
    [ "$phase_tty" = 1 ] && printf '\r\033[K' >&2
    printf '%s: FAILED after %s (exit code %s); the last 20 lines of its output:\n' \
        "$phase_name" "$(phase_since "$phase_started")" "$1" >&2
    tail -n 20 "$phase_log" >&2
    printf 'log: %s\n' "$phase_log" >&2
    exit "$1"
}

# phase <name> <log name> <what it does, or ""> <command...>
phase() {
    phase_begin "$1" "$2" "$3"
    shift 3
    local rc=0
    "$@" >>"$phase_log" 2>&1 </dev/null || rc=$?
    [ "$rc" = 0 ] || phase_fail "$rc"
    phase_end
}

# Passes a build's output into the log and shows its own progress ("[ 45%]"): in place on a terminal,
# otherwise a line at every tenth. With announce=lazy the phase's start line waits for the first line
# that is work, so an up-to-date build says nothing.
phase_progress() {
    local announce="$1" line shown=-1 percent
    while IFS= read -r line; do
        printf '%s\n' "$line" >>"$phase_log"
        case "$line" in *"Built target "*) continue ;; esac
        if [ "$announce" = lazy ]; then
            phase_announce
            announce=done
        fi
        [[ "$line" =~ ^\[\ *([0-9]+)%\] ]] || continue
        percent=${BASH_REMATCH[1]}
        if [ "$phase_tty" = 1 ]; then
            [ "$percent" != "$shown" ] && printf '\r%s: %s%%\033[K' "$phase_name" "$percent" >&2
            shown=$percent
        elif [ $((percent / 10)) -gt "$shown" ]; then
            printf '%s: %s%%\n' "$phase_name" "$percent" >&2
            shown=$((percent / 10))
        fi
    done
}

# phase_build <name> <log name> <eager|lazy> <command...>: a phase that shows the command's progress.
# Answers (as $phase_worked) whether the command did any work; a lazy phase that did none prints nothing.
phase_build() {
    phase_name="$1" phase_log="$phase_logs/$2.log" phase_started=$(phase_now)
    local announce="$3" rc=0
    shift 3
    : >"$phase_log"
    [ "$announce" = lazy ] || phase_announce
    { "$@" 2>&1 </dev/null | phase_progress "$announce"; } || rc=$?
    phase_worked=1
    [ "$announce" = eager ] || grep -qv 'Built target ' "$phase_log" || phase_worked=0
    if [ "$rc" != 0 ]; then
        # A lazy phase that failed before its first line of work has not said its name yet.
        [ "$phase_worked" = 1 ] || phase_announce
        phase_fail "$rc"
    fi
    [ "$phase_worked" = 0 ] || phase_end
}
