#!/usr/bin/env bash
# Checks that the documentation, comments and messages describe this program
# in its own terms: no text names a document the program was built from (or
# one of its numbered parts), and none compares the program with another one.
# Prints file:line:text for every offending line and exits 1 when there is
# any. Usage: scripts/check-wording.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Each pattern is assembled from pieces so that this file never matches itself.
o='orig''inal'
patterns=(
  "\\bspec(ification)?s?\\b"
  "\\bper s""pec"
  "\\bas specified\\b"
  "\\bpart [0-9]+\\.[0-9]"
  "\\bparts [0-9]+\\.[0-9]"
  "deliberate differen"
  "\\bthe $o\\b"
  "\\b$o (tool|program|software|application|code|version|behaviou?r)"
  "(beyond|unlike|than|from) (the )?$o\\b"
  "\\bthe (old|earlier|previous|former) (tool|program|software|application|version of the program)"
  "\\b(as|like) (on|in) the bench tool"
  "\\bunlike (the|its|other) "
)
args=()
for p in "${patterns[@]}"; do args+=(-e "$p"); done

paths=(
  README.md docs src tests renderer bench fuzz scripts packaging .ci
  CMakeLists.txt '*.cmake' '*/CMakeLists.txt' CMakePresets.json
  ':!scripts/check-wording.sh'
)

if hits=$(git grep -n -I -i -E "${args[@]}" -- "${paths[@]}"); then
  printf '%s\n' "$hits"
  echo "check-wording: describe the program in its own terms (see docs/design-decisions.md)" >&2
  exit 1
fi
echo "check-wording: ok"
