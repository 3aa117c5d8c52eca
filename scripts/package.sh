#!/usr/bin/env bash
# Builds the Debian package (build/package/zvx7246labtool_<version>_<arch>.deb):
# a Release build for the prefix /usr without tests, then cpack. Install it
# with: sudo apt install ./build/package/zvx7246labtool_*.deb
# ZVX_WARNINGS_AS_ERRORS=ON makes every compiler warning an error (CI; the
# build folder keeps the choice until ZVX_WARNINGS_AS_ERRORS=OFF).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset package ${ZVX_WARNINGS_AS_ERRORS:+-DCMAKE_COMPILE_WARNING_AS_ERROR=$ZVX_WARNINGS_AS_ERRORS} >/dev/null
cmake --build --preset package -j"$(nproc)"
rm -f build/package/zvx7246labtool_*.deb
(cd build/package && cpack -G DEB)
ls -l build/package/zvx7246labtool_*.deb
