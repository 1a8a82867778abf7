#!/usr/bin/env bash
# Configures and builds everything into build/. QUORBEL_JOBS limits the
# parallel compile jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "${QUORBEL_JOBS:-$(nproc)}"
