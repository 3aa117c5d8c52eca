#!/usr/bin/env bash
# CI check that the project builds as a subdirectory of another CMake project
# (add_subdirectory): configures a small outer project around it, checks that
# the program's sources were found and makes the sounds, which must land
# beside the programs in the inner build folder. Cheap: no C++ is compiled.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir "$scratch/outer"
cat >"$scratch/outer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(outer LANGUAGES CXX)
set(ZVX_BUILD_TESTS OFF)
set(ZVX_BUILD_BENCHMARKS OFF)
add_subdirectory("$PWD" zvx)
CMAKE
cmake -S "$scratch/outer" -B "$scratch/build" -G Ninja >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; echo "check-subproject: configure failed" >&2; exit 1; }
grep -q "src/device/NumberText.cpp" "$scratch/build/build.ninja" ||
  { echo "check-subproject: the program's sources were not found" >&2; exit 1; }
if grep -q "^zvx_sounds:" <(cmake --build "$scratch/build" --target help); then
  cmake --build "$scratch/build" --target zvx_sounds >/dev/null
  [ -f "$scratch/build/zvx/wav/up.wav" ] || { echo "check-subproject: sounds not in zvx/wav" >&2; exit 1; }
fi
[ ! -e "$scratch/build/CPackConfig.cmake" ] || { echo "check-subproject: took over the outer project's CPack" >&2; exit 1; }
echo "check-subproject: builds as a subdirectory"
