# Environment for running Windows programs in the project's Wine prefix; sourced, with WINEPREFIX set.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
# Where 32-bit code runs under qemu (see scripts/setup.sh): a 32-bit Windows process has 2 GB of
# user space, and a guest space just above that keeps Wine's start-up reservation loop short
# (a full 4 GB guest space costs about a minute per process).
export QEMU_RESERVED_VA=0x82000000
