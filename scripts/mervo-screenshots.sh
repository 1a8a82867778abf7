#!/usr/bin/env bash
# Makes the README's pictures of Mervo's tabs with the real program, offscreen,
# in settings folders of their own (the custom prompt switched on, to show
# its editor, and the window tall enough for the prompt's preview below it;
# OpenAI chosen on the AI Models tab, to show a provider's fields).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh Mervo defaults
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" QT_QPA_PLATFORM=offscreen
build/bin/defaults write group.tesvarin.quorbel useCustomPrompt -bool true >/dev/null
for tab in home features; do
  build/bin/Mervo --screenshot "docs/mervo-$tab.png" --tab "$tab" >/dev/null
done
build/bin/Mervo --screenshot docs/mervo-prompt.png --tab prompt --size 800x960 >/dev/null
build/bin/Mervo --screenshot docs/mervo-models.png --tab models --provider openai --size 800x960 >/dev/null
