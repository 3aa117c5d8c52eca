#!/usr/bin/env bash
# CI check of the bash completion of zvx7246ctl: sources the completion file
# in a clean bash, sets the words as bash splits a command line (at blanks,
# "=" and ":"), calls the completion function and compares what it offers.
# Usage: scripts/check-completion.sh [completion-file]
#        (default: packaging/zvx7246ctl.bash; check-install.sh passes the installed one)
set -euo pipefail
cd "$(dirname "$0")/.."
file=$(realpath "${1:-packaging/zvx7246ctl.bash}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Two I2C adapters to offer, wherever the check runs.
mkdir "$scratch/dev"
touch "$scratch/dev/i2c-3" "$scratch/dev/i2c-10"

failures=0
# expect "what bash would complete" "offered, blank-separated" WORD...
# (the last WORD is the one under the cursor)
expect() {
  local what=$1 want=$2
  shift 2
  local got
  got=$(bash --norc --noprofile -c '
    source "$1"; shift
    _zvx7246ctl_devdir=$1; shift
    COMP_WORDS=(zvx7246ctl "$@"); COMP_CWORD=$#
    _zvx7246ctl
    echo "${COMPREPLY[*]}"' _ "$file" "$scratch/dev" "$@")
  if [ "$got" != "$want" ]; then
    echo "check-completion: '$what' offers '$got', expected '$want'" >&2
    failures=$((failures + 1))
  fi
}

d=$scratch/dev
expect "zvx7246ctl po"                      "port"                                  po
expect "zvx7246ctl port "                   "read write"                            port ""
expect "zvx7246ctl port read "              "data status control"                   port read ""
expect "zvx7246ctl port write "             "data control"                          port write ""
expect "zvx7246ctl reset U1 "               "pll dpa both"                          reset U1 ""
expect "zvx7246ctl --port="                 "auto sim ppdev direct i2c-dev i2c-dev:$d/i2c-10 i2c-dev:$d/i2c-3" \
       --port = ""
expect "zvx7246ctl --port=i2c-dev:"         "$d/i2c-10 $d/i2c-3"                    --port = i2c-dev : ""
expect "zvx7246ctl --port=i2c-dev:$d/i2c-1" "$d/i2c-10"                             --port = i2c-dev : "$d/i2c-1"
expect "zvx7246ctl --port=i2c-dev:$d/i2c-3 read-all " "U1 U4"                      --port = i2c-dev : "$d/i2c-3" read-all ""
expect "zvx7246ctl --sim-rev=U4:C"          "C1 C2"                                 --sim-rev = U4 : C
expect "zvx7246ctl apply bench.zvx --l"    "--lenient --lpt="                      apply bench.zvx --l
expect "zvx7246ctl calc "                   "clock loop-filter"                     calc ""
expect "zvx7246ctl calc clock --o"          "--osc --oscdiv --offset --outscl"      calc clock --o
expect "zvx7246ctl calc loop-filter --b"    "--bode "                               calc loop-filter --b
expect "zvx7246ctl calc clock --psd "       "2 4 8 16"                              calc clock --psd ""
expect "zvx7246ctl calc clock --psd 4 --from-chip " "U1 U4"                         calc clock --psd 4 --from-chip ""
expect "zvx7246ctl calc clock --dpa=3"      "32"                                    calc clock --dpa = 3
expect "zvx7246ctl watch "                  "U1 U4 both"                            watch ""
expect "zvx7246ctl watch both --u"          "--until="                              watch both --u
expect "zvx7246ctl export --format="        "c json i2cset csv"                     export --format = ""
expect "zvx7246ctl export --from-chip=b"    "both"                                  export --from-chip = b

if [ "$failures" -ne 0 ]; then
  echo "check-completion: $failures of the completions are wrong ($file)" >&2
  exit 1
fi
echo "check-completion: $file completes as expected"
