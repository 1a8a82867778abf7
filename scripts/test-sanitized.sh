#!/usr/bin/env bash
# Builds the project with a sanitizer in a folder of its own and runs the
# tests there; the first report ends the run with a failure, and so does a
# compiler warning.
#   scripts/test-sanitized.sh address   AddressSanitizer and UndefinedBehaviorSanitizer,
#                                       every test (build-asan/)
#   scripts/test-sanitized.sh thread    ThreadSanitizer, the tests that need no
#                                       display (build-tsan/)
# QUORBEL_JOBS limits the parallel jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${QUORBEL_JOBS:-$(nproc)}"

case "${1:-}" in
  address)
    folder=build-asan
    sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all"
    options=()
    exclude=()
    ;;
  thread)
    folder=build-tsan
    sanitize="-fsanitize=thread"
    # Qt's libraries are not instrumented: its widget tests would only report
    # what happens inside them.
    options=(-DQUORBEL_DISPLAY_TESTS=OFF)
    # Nor the tests that start a program drawing its window.
    exclude=(-LE window)
    ;;
  *)
    echo "usage: $0 address|thread" >&2
    exit 2
    ;;
esac

# Also in force while the build lists each test program's tests.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Without atexit_sleep_ms=0 ThreadSanitizer sleeps a second before every
# exit, for threads still running then: a second for each of the ~1800 test
# processes, most of this build's test time.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:atexit_sleep_ms=0"

# Less debug information than the ordinary build: enough for the reports'
# stack traces, and quicker to link.
flags="$sanitize -fno-omit-frame-pointer"
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
  -DQUORBEL_BUILD_BENCH=OFF -DQUORBEL_WARNINGS_AS_ERRORS=ON "${options[@]}" >/dev/null
cmake --build "$folder" --parallel "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$folder" --output-on-failure --parallel "$jobs" --timeout 600 \
  "${exclude[@]}"
