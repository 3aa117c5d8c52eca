#!/usr/bin/env bash
# Builds everything and runs the whole test suite (headless).
# Usage: scripts/test.sh [preset]   (default: "default"; "asan" for the sanitizer build)
# ZVX_WARNINGS_AS_ERRORS=ON makes every compiler warning an error (CI; the
# build folder keeps the choice until ZVX_WARNINGS_AS_ERRORS=OFF).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/install-deps.sh
cmake --preset "$preset" ${ZVX_WARNINGS_AS_ERRORS:+-DCMAKE_COMPILE_WARNING_AS_ERROR=$ZVX_WARNINGS_AS_ERRORS} >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j"$(nproc)"
