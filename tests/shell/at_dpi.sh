#!/usr/bin/env bash
# Runs a test program at another display DPI, leaving the test prefix at 96 for every other test:
# in a copy of the prefix with its own LogPixels and its own wineserver, stopped afterwards.
# Usage: at_dpi.sh DPI PREFIX_COPY PROGRAM [ARGUMENTS...]
source "$(dirname "$0")/../../scripts/setup"
set +e
dpi=$1 copy=$2
shift 2
[ -n "${WINEPREFIX:-}" ] || { echo "at_dpi.sh: no WINEPREFIX; scripts/test sets up the Wine session"; exit 1; }
tarvik_prefix_at_dpi "$copy" "$dpi" || { echo "at_dpi.sh: could not make a prefix at $dpi DPI"; exit 1; }
export WINEPREFIX="$copy" TARVIK_TEST_DPI="$dpi"
wine "$@"
status=$?
wineserver -k
exit $status
