#!/usr/bin/env bash
# run.sh --help (given as $1) tells a newcomer both modes and where the live
# key goes, without building or starting anything; a wrong option is refused.
set -u
run=$1
failed=0
check() { grep -q -- "$1" <<<"$help" || { echo "--help does not mention: $1"; failed=1; }; }

help=$(bash "$run" --help) || { echo "--help failed"; exit 1; }
check "demo mode"
check "offline"
check "--live"
check "your own API key"
check "\"Flickr\" page"
check "SERVICE section"
check "--fresh"
check "Ctrl+C"

bash "$run" --no-such-option >/dev/null 2>&1
[ $? -eq 2 ] || { echo "an unknown option is not refused with 2"; failed=1; }
exit $failed
