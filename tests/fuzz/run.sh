#!/usr/bin/env bash
# Builds the RTF fuzzer with clang and runs it for a bounded time.
#   tests/fuzz/run.sh [seconds] [build folder]
# New inputs go to a scratch folder, not into the seed corpus; a crash leaves
# its input as crash-* in the build folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:-60}"
build="${2:-$here/../../build-fuzz}"

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target rtf_fuzzer -j2
mkdir -p "$build/corpus"
"$build/rtf_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -dict="$here/rtf.dict" -artifact_prefix="$build/" -print_final_stats=1 \
    "$build/corpus" "$here/corpus/rtf" "$here/../data/rtf"
