#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds again
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test,
# and with ThreadSanitizer and runs the tests that need no display (each build
# in a folder of its own). Every build fails on a compiler warning. This is
# what CI runs. QUORBEL_JOBS limits the parallel jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${QUORBEL_JOBS:-$(nproc)}"
scripts/setup.sh
QUORBEL_WARNINGS_AS_ERRORS=ON scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 300
scripts/test-sanitized.sh address
scripts/test-sanitized.sh thread
