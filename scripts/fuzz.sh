#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and AddressSanitizer into build/fuzz and runs each
# for a few seconds. Skipped (with a note) when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${XINGHE_FUZZ_SECONDS:-5}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, fuzz targets skipped"
  exit 0
fi
if [ ! -f build/fuzz/build.ninja ]; then
  CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DXINGHE_BUILD_GUI=OFF -DXINGHE_BUILD_TESTS=OFF -DXINGHE_BUILD_BENCH=OFF -DXINGHE_FUZZ=ON >/dev/null
fi
cmake --build build/fuzz --target fuzz_targets
status=0
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  if "$target" -max_total_time="$SECONDS_EACH" -max_len=4096 -artifact_prefix="build/fuzz/$name-" "$corpus" >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz: $name ok ($(grep -o 'stat::number_of_executed_units: [0-9]*' "build/fuzz/$name.log" || grep -Eo '#[0-9]+' "build/fuzz/$name.log" | tail -1) runs)"
  else
    echo "fuzz: $name FAILED, see build/fuzz/$name.log"
    tail -40 "build/fuzz/$name.log"
    status=1
  fi
done
exit $status
