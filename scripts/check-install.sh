#!/usr/bin/env bash
# CI check of `cmake --install`: installs the default build into a temporary
# DESTDIR and checks the tree (programs, sounds, desktop entry, icons, manual
# pages, completion), then runs the installed programs from an empty folder
# with the build folder moved away, so anything that still needs the build
# folder at run time fails here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build/default
cmake --build --preset default -j"$(nproc)" >/dev/null

scratch=$(mktemp -d)
away=""
cleanup() {
  if [ -n "$away" ]; then mv "$away" "$root/$build"; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

DESTDIR="$scratch/dest" cmake --install "$build" >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
tree=$scratch/dest$prefix

for f in bin/zvx7246labTool bin/zvx7246ctl \
         share/applications/zvx7246labTool.desktop \
         share/icons/hicolor/scalable/apps/zvx7246labTool.svg \
         share/icons/hicolor/48x48/apps/zvx7246labTool.png \
         share/man/man1/zvx7246labTool.1.gz share/man/man1/zvx7246ctl.1.gz \
         share/bash-completion/completions/zvx7246ctl \
         share/doc/zvx7246labtool/README.Debian; do
  [ -e "$tree/$f" ] || fail "not installed: $f"
done
sounds=$(find "$tree/share/zvx7246labTool/wav" -name '*.wav' 2>/dev/null | wc -l)
[ "$sounds" -eq 10 ] || fail "expected 10 sounds in share/zvx7246labTool/wav, found $sounds"
if compgen -G "$build/libzvxrenderer*" >/dev/null; then
  compgen -G "$tree/lib*/zvx7246labTool/libzvxrenderer*" >/dev/null ||
    compgen -G "$tree/lib/*/zvx7246labTool/libzvxrenderer*" >/dev/null ||
    fail "the renderer library is not installed in <libdir>/zvx7246labTool"
fi

desktop-file-validate "$tree/share/applications/zvx7246labTool.desktop"
for page in "$tree"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
scripts/check-completion.sh "$tree/share/bash-completion/completions/zvx7246ctl" >/dev/null ||
  fail "the installed bash completion does not complete as expected"

# From here on the build folder is gone.
away=$root/$build.away.$$
mv "$root/$build" "$away"
mkdir "$scratch/run" "$scratch/xdg"
chmod 700 "$scratch/xdg"
cd "$scratch/run"
out=$("$tree/bin/zvx7246ctl" --port=sim read-all U1 2>&1) || fail "installed zvx7246ctl read-all failed: $out"
grep -q "Lock Status" <<<"$out" || fail "installed zvx7246ctl read-all printed: $out"
# The window program must come up and keep running until stopped.
status=0
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/xdg" timeout 5 "$tree/bin/zvx7246labTool" --port=sim \
  >"$scratch/gui.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "installed zvx7246labTool ended with $status: $(cat "$scratch/gui.log")"
echo "check-install: the installed tree under $prefix is complete and runs without the build folder"
