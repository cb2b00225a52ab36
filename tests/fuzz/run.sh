#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and fuzzes each for a bounded time,
# starting from its seed corpus; fails when a fuzzer finds a failing input.
#   tests/fuzz/run.sh [seconds per target] [build folder]
# New inputs go to <build folder>/corpus/<target>, never into the seed corpus.
# A failing input is left in <build folder>/artifacts, each run's log in
# <build folder>/<target>.log.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:-60}"
build="${2:-$here/../../build-fuzz}"
mkdir -p "$build/artifacts"
build="$(cd "$build" && pwd)"

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

# fuzz TARGET MAX_LEN DICTIONARY|- SEED_FOLDER...
fuzz() {
    local name="$1" max_len="$2" dict=()
    [ "$3" != - ] && dict=(-dict="$3")
    shift 3
    local scratch="$build/corpus/$name" log="$build/$name.log" start end
    mkdir -p "$scratch"
    start=$(date +%s.%N)
    if ! "$build/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -rss_limit_mb=2048 "${dict[@]}" -artifact_prefix="$build/artifacts/$name-" \
        -print_final_stats=1 "$scratch" "$@" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "$name FOUND A FAILING INPUT (see $build/artifacts and $log)" >&2
        return 1
    fi
    end=$(date +%s.%N)
    awk -v name="$name" -v start="$start" -v end="$end" '
        /^stat::number_of_executed_units:/ { runs = $2 }
        /^stat::average_exec_per_sec:/ { rate = $2 }
        /^stat::new_units_added:/ { added = $2 }
        END { printf "%s: %d runs in %.0f s, %d exec/s, %d new inputs, nothing found\n",
              name, runs, end - start, rate, added }' "$log"
}

status=0
fuzz strtofloat_fuzzer 1024 "$here/strtofloat.dict" "$here/corpus/strtofloat" || status=1
fuzz entry_fuzzer 512 - "$here/corpus/entry" || status=1
fuzz scan_fuzzer 4096 - "$here/corpus/scan" || status=1
fuzz csv_fuzzer 4096 - "$here/corpus/csv" || status=1
fuzz sequence_fuzzer 4096 - "$here/corpus/sequence" || status=1
fuzz rtf_fuzzer 65536 "$here/rtf.dict" "$here/corpus/rtf" "$here/../data/rtf" || status=1
exit $status
