#!/usr/bin/env bash
# Fuzzes one target with libFuzzer for a given time:
#   scripts/fuzz.sh TARGET SECONDS
# TARGET names a file of tests/fuzz without ".cpp" (property_list,
# openai_reply, ...). The target and the libraries it uses are built with
# clang 16 and AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/.
# The seed corpus tests/fuzz/corpus/TARGET/ is read, new inputs are kept in
# build-fuzz/corpus/TARGET/, and a crashing input is written to
# build-fuzz/crashes/: add it to the seed corpus once the fault is mended.
# QUORBEL_JOBS limits the parallel compile jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ] || [ ! -f "tests/fuzz/$1.cpp" ]; then
  echo "usage: $0 TARGET SECONDS, TARGET one of:" $(cd tests/fuzz && ls *.cpp | grep -v ReplayMain | sed 's/\.cpp$//') >&2
  exit 2
fi
target="$1"
seconds="$2"
scripts/setup.sh fuzz

# clang 16 implements what the installed C++ library's std::expected needs,
# but reports an older concepts level, which would hide it.
concepts="-U__cpp_concepts -D__cpp_concepts=202002L -Wno-builtin-macro-redefined"
# Libraries get the coverage instrumentation; the target links libFuzzer.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all"
flags="-fsanitize=fuzzer-no-link $sanitize -fno-omit-frame-pointer $concepts"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-16 -DCMAKE_CXX_COMPILER=clang++-16 \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DQUORBEL_FUZZ=ON -DQUORBEL_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --parallel "${QUORBEL_JOBS:-$(nproc)}" --target "fuzz_$target"

mkdir -p "build-fuzz/corpus/$target" build-fuzz/crashes
exec "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="build-fuzz/crashes/$target-" "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target"
