#!/usr/bin/env bash
# Builds everything and runs the whole test suite (headless).
# Usage: scripts/test.sh [preset]   (default: "default"; "asan" for the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j"$(nproc)"
