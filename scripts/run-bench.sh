#!/usr/bin/env bash
# run-bench.sh [BUILD_DIR]: builds the benchmarks in BUILD_DIR (default build/)
# and runs them: the CSV reader against a plain line-by-line read of a 10 MB
# species file, and loading the installed and a large generated data set
# against reading and splitting the same files, and the survey window's answers
# to a location change and a zone search keystroke. Prints the benchmark table and
# a summary of speeds, ratios, times and memory. Extra arguments go to the
# benchmark binary (for example --benchmark_filter=Csv).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
# An optimised build is what the figures are about.
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
case "$type" in
  Release|RelWithDebInfo) ;;
  *) echo "warning: $build is a '$type' build; figures will be pessimistic" >&2 ;;
esac
cmake -S "$root" -B "$build" -DTAVRO_BUILD_BENCH=ON > /dev/null
cmake --build "$build" --target tavro-bench tavro-window-bench tavro-startup-bench tavro-network-bench tavro-backup-bench make-data-set -j "$(nproc)" > "$build/bench-build.log" 2>&1 ||
  { tail -40 "$build/bench-build.log"; exit 1; }

# A benchmark that misses a goal exits non-zero; the others still run.
status=0
echo "Running benchmarks (about a minute)..."
"$build/bench/tavro-bench" --benchmark_counters_tabular=false "$@" || status=1
echo "Timing the window on the large data set (under Xvfb)..."
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")
"${xvfb[@]}" "$build/bench/tavro-window-bench" || status=1
"${xvfb[@]}" "$build/bench/tavro-window-bench" --confirmation-first || status=1
"${xvfb[@]}" "$build/bench/tavro-window-bench" --species 100000 --zones 10000 || status=1
echo "Timing the main loop while the window talks to the server (under Xvfb)..."
"${xvfb[@]}" "$build/bench/tavro-network-bench" || status=1
echo "Timing the backup and restore of 1,000 surveys..."
"$build/bench/tavro-backup-bench" || status=1
echo "Timing start-up (under Xvfb)..."
"${xvfb[@]}" "$build/bench/tavro-startup-bench" || status=1
exit $status
