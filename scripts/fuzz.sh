#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for a while,
# starting from the seeds in tests/fuzz/corpus/. Fails on any finding.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 30)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
out=$top/build-fuzz
mkdir -p "$out"
cxx=$(command -v clang++ || command -v clang++-14)
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$top")
# The platform layer asks the X server or the Wayland compositor whether a box can be shown.
sdl=$(pkg-config --cflags --libs sdl2 x11 wayland-client)

# The platform layer's boxes: kept above the saver's windows on X, shown as
# the Wayland kind there.
platform="platform/platform_posix.cpp platform/box_above_x11.cpp platform/box_wayland.cpp platform/x11_session.cpp platform/pacing.cpp"

build() {
  local name=$1
  shift
  local sources=()
  for s in $*; do sources+=("$top/$s"); done
  # shellcheck disable=SC2086
  "$cxx" "${flags[@]}" -o "$out/$name" "$top/tests/fuzz/$name.cpp" "${sources[@]}" $sdl
}

build feed_fuzz service/text_feed.cpp service/response_body.cpp diag/trace.cpp
build bulletin_fuzz service/bulletin.cpp service/response_body.cpp
build command_line_fuzz app/command_line.cpp $platform
build version_fuzz service/version_notice.cpp service/bulletin.cpp service/response_body.cpp service/service_config.cpp \
  $platform

status=0
for target in feed bulletin command_line version; do
  corpus=$out/corpus/$target
  mkdir -p "$corpus"
  log=$out/${target}_fuzz.log
  if "$out/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/${target}-" \
       "$corpus" "$top/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result="no findings"
  else
    result="FINDING (see $log)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz $target: ${runs:-?} runs in ${seconds} s, corpus $(ls "$corpus" | wc -l) inputs: $result"
done
exit $status
