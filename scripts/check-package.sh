#!/usr/bin/env bash
# CI check of the Debian package: builds it as scripts/package.sh does, with
# every compiler warning an error, checks that the changelog's latest entry
# names the package's version, and runs lintian on the .deb. Any lintian
# error fails the check; warnings and notes are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "check-package: $*" >&2; exit 1; }

scripts/install-deps.sh --lintian
ZVX_WARNINGS_AS_ERRORS=${ZVX_WARNINGS_AS_ERRORS:-ON} scripts/package.sh >/dev/null
debs=(build/package/zvx7246labtool_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package in build/package, found: ${debs[*]}"
deb=${debs[0]}

version=$(dpkg-deb -f "$deb" Version)
logged=$(dpkg-parsechangelog -l packaging/changelog -S Version)
[ "$version" = "$logged" ] ||
  fail "the package is version $version, but packaging/changelog's latest entry is $logged: add an entry for $version"

lintian --fail-on error --info --tag-display-limit 0 "$deb" ||
  fail "lintian finds errors in $deb"
echo "check-package: $deb is lintian-clean"
