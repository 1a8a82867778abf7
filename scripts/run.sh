#!/usr/bin/env bash
# Installs what is missing, builds the programs (not their tests), and opens
# a compose window answering the sample message; the ✨ Quorbel button opens
# the assistant. Send writes the reply to build/outgoing.eml. Where no display
# can be reached, the program says so and the same assistant runs without a
# window instead: a Write session for the sample message, with the provider
# settings as they are. QUORBEL_JOBS limits the parallel compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh quorbel_extension Mervo defaults
sample=resources/samples/offsite-invitation.eml
no_display=3  # the program's exit status when it finds no display

status=0
build/bin/quorbel_extension reply "$sample" --out build/outgoing.eml "$@" || status=$?
[ "$status" -ne "$no_display" ] && exit "$status"
echo "scripts/run.sh: drafting a reply to $sample without a window instead:" >&2
exec build/bin/quorbel_extension reply "$sample" --mode write
