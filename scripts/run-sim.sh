#!/usr/bin/env bash
# Builds the program and runs it on the simulated evaluation board.
# Extra arguments go to the program, e.g. scripts/run-sim.sh --sim-rev=U1:A bench.zvx
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target zvx7246labTool zvx7246ctl
exec build/default/zvx7246labTool --port=sim "$@"
