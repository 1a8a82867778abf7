#!/usr/bin/env bash
# Installs what is missing, builds, and opens a compose window answering the
# sample message; the ✨ Quorbel button opens the assistant. Send writes the
# reply to build/outgoing.eml.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/bin/quorbel_extension reply resources/samples/offsite-invitation.eml --out build/outgoing.eml "$@"
