#!/usr/bin/env bash
# run-fuzz.sh [SECONDS]: builds the libFuzzer targets with clang in build-fuzz/
# (ASan + UBSan) and runs each for SECONDS (default 60) on its seed corpus in
# tests/fuzz/corpus/. Inputs the fuzzer finds go to build-fuzz/corpus/, crash
# reproducers to build-fuzz/artifacts/. Exits non-zero when a target crashed.
#
# Reproduce a crash:  build-fuzz/tests/fuzz/TARGET build-fuzz/artifacts/TARGET/crash-...
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
targets=(fuzz-csv-split fuzz-readers fuzz-survey-file)

# clang and its fuzzer runtime come from Debian's packages.
if ! command -v clang++ > /dev/null ||
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a > /dev/null 2>&1; then
  echo "Installing clang and its runtime libraries"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends clang libclang-rt-dev
fi

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRO_FUZZ=ON -DTAVRO_BUILD_TESTS=OFF -DTAVRO_BUILD_BENCH=OFF > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

failed=()
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  artifacts=$build/artifacts/$t/
  mkdir -p "$corpus" "$artifacts"
  echo "=== $t: ${seconds}s"
  # The readers print warnings for every odd line; only the fuzzer's own
  # report (which it keeps on a copy of standard error) is wanted.
  dict=()
  [ -f "$root/tests/fuzz/$t.dict" ] && dict=(-dict="$root/tests/fuzz/$t.dict")
  if "$build/tests/fuzz/$t" "${dict[@]}" -max_len=4096 -max_total_time="$seconds" -timeout=20 \
      -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$artifacts" \
      "$corpus" "$root/tests/fuzz/corpus/$t" 2> "$build/$t.log"; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$build/$t.log" || true
  else
    failed+=("$t")
    grep -E -A40 '^==[0-9]+==ERROR|runtime error|^SUMMARY|deadly signal|Test unit written' \
      "$build/$t.log" | head -80
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "CRASHED: ${failed[*]} (full logs: $build/<target>.log, reproducers in $build/artifacts/)"
  exit 1
fi
echo "No crash in ${targets[*]}"
