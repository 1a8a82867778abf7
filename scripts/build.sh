#!/usr/bin/env bash
# Configures and builds into build/: the targets given (scripts/build.sh
# Mervo defaults), or everything, tests included. QUORBEL_JOBS limits the
# parallel compile jobs (default: one per core); QUORBEL_WARNINGS_AS_ERRORS=ON
# makes every compiler warning an error, in build/ from then on (CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
options=()
[ -n "${QUORBEL_WARNINGS_AS_ERRORS:-}" ] && options=(-DQUORBEL_WARNINGS_AS_ERRORS="$QUORBEL_WARNINGS_AS_ERRORS")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build build --parallel "${QUORBEL_JOBS:-$(nproc)}" "${targets[@]}"
