#!/usr/bin/env bash
# Builds the setup-file fuzzer with clang and runs it briefly over the stored
# corpus. New interesting inputs go to a scratch folder, not into the corpus;
# a crash or broken rule leaves its input as build/fuzz/crash-* (copy it into
# tests/data/setup/corpus so the unit tests replay it from then on).
# Usage: scripts/fuzz-smoke.sh [seconds]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

cxx=${CXX_FUZZ:-}
if [ -z "$cxx" ]; then
  for candidate in clang++ clang++-14; do
    if command -v "$candidate" >/dev/null; then cxx=$candidate; break; fi
  done
fi
if [ -z "$cxx" ]; then
  # libFuzzer comes with clang only; without it there is nothing to run, and a
  # CI machine without clang is not a failure.
  echo "fuzz-smoke: skipped, no clang++ found (scripts/install-deps.sh installs it)" >&2
  exit 0
fi

cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build build/fuzz -j2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd build/fuzz
./zvx_setup_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$scratch" ../../tests/data/setup/corpus
