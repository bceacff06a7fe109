#!/usr/bin/env bash
# Environment for running the ASan+UBSan build's tests. Source it, or run a
# command in it:
#   . scripts/sanitizer_env.sh && ctest --preset asan
#   bash scripts/sanitizer_env.sh ctest --preset asan
# Programs the tests start (the simulator itself among them) inherit it.

fv_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# UBSan: stop at the first fault with a stack trace (the build already makes
# every check fatal).
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# LSan: leaks inside Mesa are its own; tests/lsan.supp names only such
# library frames.
export LSAN_OPTIONS="suppressions=$fv_root/tests/lsan.supp:print_suppressions=0"

# ASan: the stricter checks as well; a report fails the process.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1"

# Mesa's software driver is loaded with the first GL context and unloaded
# again when a client closes its display (glutExit does). LSan checks at the
# very end, when the driver's code and data are gone: what it still held looks
# leaked and comes from "<unknown module>", which no suppression can name.
# Loading the driver at start keeps it until the process ends. The preloaded
# library comes before the ASan runtime in the load order, hence
# verify_asan_link_order=0.
for fv_driver in /usr/lib/*/dri/swrast_dri.so /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    if [ -e "$fv_driver" ]; then
        export LD_PRELOAD="$fv_driver${LD_PRELOAD:+:$LD_PRELOAD}"
        ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
        break
    fi
done
unset fv_root fv_driver

# Run as a command: run the arguments in this environment.
if [ "${BASH_SOURCE[0]}" = "$0" ] && [ $# -gt 0 ]; then
    exec "$@"
fi
