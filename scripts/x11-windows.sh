#!/usr/bin/env bash
# The compose window and its popover, then Mervo and its Export Settings
# sheet, as a person meets them, under a real X server with a window manager
# (Xvfb and openbox), at twice the scale on a screen of 1600 by 1000 pixels,
# drafting through a loopback OpenAI-compatible server, keyboard and mouse
# driven by xdotool. It checks
# what only a window manager shows (where windows go, which one is active)
# and prints the windows' geometry; it exits non-zero when a check fails.
#
#   scripts/x11-windows.sh [--screenshots DIR]
#
# Installs what it needs with apt-get where it is missing, and builds the
# programs when they are not built yet. Everything it starts ends with it.
set -euo pipefail
cd "$(dirname "$0")/.."

shots=""
if [ "${1:-}" = "--screenshots" ]; then
  shots=$(realpath -m "${2:?--screenshots needs a folder}")
  mkdir -p "$shots"
fi

# The command, then the Debian package that has it.
needed=(Xvfb:xvfb openbox:openbox xdotool:xdotool xwininfo:x11-utils xprop:x11-utils xclip:xclip python3:python3)
[ -n "$shots" ] && needed+=(scrot:scrot)
missing=()
for pair in "${needed[@]}"; do
  command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends $(printf '%s\n' "${missing[@]}" | sort -u)
fi
[ -x build/bin/quorbel_extension ] && [ -x build/bin/defaults ] && [ -x build/bin/Mervo ] ||
  scripts/build.sh quorbel_extension defaults Mervo

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Waits (up to 20 seconds) until the command succeeds.
wait_for() {
  for _ in $(seq 200); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

failures=0
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then echo "ok - $what"; else echo "not ok - $what"; failures=$((failures + 1)); fi
}
shot() { [ -z "$shots" ] || scrot -o "$shots/$1.png"; }

# --- the X server, the window manager, the model ------------------------------
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
wait_for test -s "$work/display"
export DISPLAY=":$(head -1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

python3 - "$work/port" "$work/requests" >/dev/null 2>&1 <<'EOF' &
import json, sys
from http.server import BaseHTTPRequestHandler, HTTPServer
class Model(BaseHTTPRequestHandler):
    def do_POST(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with open(sys.argv[2], "a") as log: log.write(self.path + "\n")
        body = json.dumps({"choices": [{"message": {"content": "Dear Dana,\n\nYes, I will come.\n\nSam"}}]}).encode()
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args): pass
server = HTTPServer(("127.0.0.1", 0), Model)
with open(sys.argv[1] + ".part", "w") as port: port.write(str(server.server_port))
import os; os.rename(sys.argv[1] + ".part", sys.argv[1])
server.serve_forever()
EOF
pids+=($!)
wait_for test -s "$work/port"

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
build/bin/defaults write group.tesvarin.quorbel llm_provider custom
build/bin/defaults write group.tesvarin.quorbel llm_endpoint "http://127.0.0.1:$(cat "$work/port")/v1"
build/bin/defaults write group.tesvarin.quorbel llm_model loopback

# --- geometry ------------------------------------------------------------------
# "X Y WIDTH HEIGHT" of a window's content, without the frame.
inner() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}
# "X Y WIDTH HEIGHT" of a window's outside, frame included.
outer() {
  local frame left=0 right=0 top=0 bottom=0 x y w h
  frame=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$' | tr -d ' ' || true)
  [ -n "$frame" ] && IFS=, read -r left right top bottom <<<"$frame"
  read -r x y w h <<<"$(inner "$1")"
  echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}
on_screen() {  # on_screen X Y WIDTH HEIGHT
  [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le 1600 ] && [ $(($2 + $4)) -le 1000 ]
}
describe() { read -r x y w h <<<"$2"; echo "# $1: ${w}x${h} at ${x},${y} (frame included)"; }

# The visible window of the program whose title matches.
window_named() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xdotool getwindowname "$window" 2>/dev/null | grep -qE "$2" && { echo "$window"; return 0; }
  done
  return 1
}
is_visible() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
is_gone() { ! is_visible "$1"; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# --- the compose window and its popover ----------------------------------------
sent="$work/sent.eml"
QT_SCALE_FACTOR=2 build/bin/quorbel_extension reply resources/samples/offsite-invitation.eml --show-assistant \
  --out "$sent" >"$work/app.log" 2>&1 &
app=$!
pids+=($app)
wait_for window_named "$app" "^quorbel_extension$"
compose=$(window_named "$app" "^Re: ")
popover=$(window_named "$app" "^quorbel_extension$")
wait_for is_active "$popover"
shot popover-opened
compose_at=$(outer "$compose")
popover_at=$(outer "$popover")
describe "compose window" "$compose_at"
describe "popover" "$popover_at"
check "the compose window lies on the screen" on_screen $compose_at
check "the popover lies on the screen" on_screen $popover_at

# A draft, with the keyboard: Tab to the instruction field, type, Return.
xdotool key Tab Tab
xdotool type --delay 20 "yes"
xdotool key Return
check "Return in the instruction drafts" wait_for sh -c "xclip -o -selection clipboard | grep -q 'Yes, I will come.'"
shot draft

# "AI Agent" with the mouse: the draft would be lost, so the alert asks.
read -r px py pw ph <<<"$popover_at"
open_alert() {
  alert=""
  xdotool mousemove $((px + pw * 52 / 100)) $((py + 50)) click 1
  wait_for window_named "$app" "^Unsaved Changes$" || return 1
  alert=$(window_named "$app" "^Unsaved Changes$")
  wait_for is_active "$alert"
}
open_alert
shot alert
alert_at=$(outer "$alert")
describe "alert" "$alert_at"
read -r ax ay aw ah <<<"$alert_at"
off_x=$((ax + aw / 2 - (px + pw / 2)))
off_y=$((ay + ah / 2 - (py + ph / 2)))
check "the alert opens centred over the popover (off by ${off_x},${off_y})" \
  test "${off_x#-}" -le 30 -a "${off_y#-}" -le 30
# Every way of cancelling it (Space and Return press Cancel, where the focus
# starts; the mouse presses it, at the row's start) gives the activation back
# to the popover. "Leave Tab" would discard the draft: the alert comes again.
click_cancel() {
  local x y w h
  read -r x y w h <<<"$(inner "$alert")"
  xdotool mousemove $((x + w * 27 / 100)) $((y + h - 54)) click 1
}
cancelled() { wait_for is_gone "$alert" && wait_for is_active "$popover"; }
for route in Escape Return Space "A click on Cancel"; do
  if [ "$route" != Escape ]; then
    check "\"AI Agent\" asks again, the draft kept" open_alert
    [ -n "$alert" ] || continue
  fi
  case $route in
    Space) xdotool key space ;;
    A\ click*) click_cancel ;;
    *) xdotool key "$route" ;;
  esac
  check "$route on the alert cancels it and gives the activation back to the popover" cancelled
done
shot alert-cancelled
# What is typed now stays in the popover; Escape closes it, and Send shows
# that nothing reached the mail.
xdotool type --delay 20 "QQQ"
xdotool key Escape
check "Escape then closes the popover" wait_for is_gone "$popover"
wait_for is_active "$compose"
xdotool key ctrl+Return
wait_for test -s "$sent"
check "nothing typed after the alert reached the mail" sh -c "! grep -q QQQ '$sent'"

open_popover() {
  xdotool windowactivate --sync "$compose"
  xdotool key alt+q
  wait_for window_named "$app" "^quorbel_extension$"
  popover=$(window_named "$app" "^quorbel_extension$")
  wait_for is_active "$popover"
}

# The compose window activated while the popover is open, with Alt+Tab or
# by the window manager: the popover closes, so that what is typed next goes
# into the mail in sight, never under the popover.
open_popover
xdotool key alt+Tab
check "Alt+Tab to the compose window closes the popover" wait_for is_gone "$popover"
open_popover
xdotool windowactivate "$compose"
check "the compose window activated closes the popover" wait_for is_gone "$popover"

# A press on the desktop, right of the compose window.
open_popover
read -r cx cy cw ch <<<"$compose_at"
xdotool mousemove $(((cx + cw + 1600) / 2)) 500 click 1
check "a press on the desktop closes the popover" wait_for is_gone "$popover"

# Another program: a second compose window, at scale 1, right of the popover.
QT_SCALE_FACTOR=1 build/bin/quorbel_extension reply resources/samples/offsite-invitation.eml >"$work/other.log" 2>&1 &
other_app=$!
pids+=($other_app)
wait_for window_named "$other_app" "^Re: "
other=$(window_named "$other_app" "^Re: ")
xdotool windowmove --sync "$other" 1100 300
open_popover
xdotool mousemove 1300 600 click 1
check "a press in another program's window closes the popover" wait_for is_gone "$popover"
shot other-program

open_popover
xdotool windowactivate "$other"
check "the popover closes when another program's window is activated" wait_for is_gone "$popover"

# The grip of a reopened popover: the popover grows from its top left corner,
# which stays where it is, under the pointer's drag.
open_popover
read -r gx gy gw gh <<<"$(outer "$popover")"
xdotool mousemove $((gx + gw - 4)) $((gy + gh - 4)) mousedown 1
xdotool mousemove $((gx + gw + 16)) $((gy + gh - 4))
xdotool mousemove $((gx + gw + 36)) $((gy + gh - 4)) mouseup 1
grown() { read -r x y w _ <<<"$(outer "$popover")"; [ "$w" -gt "$gw" ]; }
kept_corner() { read -r x y _ _ <<<"$(outer "$popover")"; [ "$x" -eq "$gx" ] && [ "$y" -eq "$gy" ]; }
check "the reopened popover's grip widens it" wait_for grown
check "the popover keeps its top left corner while its grip is dragged" kept_corner
describe "popover after its grip was dragged" "$(outer "$popover")"
xdotool key Escape

# --- Mervo and its Export Settings sheet -----------------------------------------
# Settings of its own: each start of Mervo writes the provider settings over.
export XDG_CONFIG_HOME="$work/mervo/config" XDG_DATA_HOME="$work/mervo/data"
mkdir -p -m 700 "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
QT_SCALE_FACTOR=2 build/bin/Mervo >"$work/mervo.log" 2>&1 &
mervo_app=$!
pids+=($mervo_app)
wait_for window_named "$mervo_app" "^Mervo$"
mervo=$(window_named "$mervo_app" "^Mervo$")
check "Mervo's window is active" wait_for is_active "$mervo"
shot mervo
mervo_at=$(outer "$mervo")
mervo_content=$(inner "$mervo")
describe "Mervo" "$mervo_at"
read -r mx my mw mh <<<"$mervo_content"
echo "# Mervo's content: ${mw}x${mh} at ${mx},${my}"
# The window is never narrower than 800 points, at this scale the screen's
# whole width: then its content spans the screen, and only the frame's side
# borders lie beyond its edges.
mervo_on_screen() {
  on_screen $mervo_at && return 0
  read -r _ y _ h <<<"$mervo_at"
  [ "$mw" -eq 1600 ] && [ "$mx" -eq 0 ] && [ "$y" -ge 0 ] && [ $((y + h)) -le 1000 ]
}
check "Mervo's window lies on the screen (at its minimum width, its content does)" mervo_on_screen

# File ▸ Export Settings…, with the keyboard once the menu bar's first menu
# is open: Right goes on to File, its first item Export Settings… chosen.
xdotool mousemove $((mx + 30)) $((my + 20)) click 1
xdotool key Right Return
check "File ▸ Export Settings… opens its sheet" wait_for window_named "$mervo_app" "^Export Settings$"
sheet=$(window_named "$mervo_app" "^Export Settings$" || true)
if [ -n "$sheet" ]; then
  check "the sheet is active" wait_for is_active "$sheet"
  shot export-sheet
  sheet_at=$(outer "$sheet")
  describe "Export Settings sheet" "$sheet_at"
  check "the Export Settings sheet lies on the screen" on_screen $sheet_at
  xdotool key Escape
  check "Escape closes the sheet" wait_for is_gone "$sheet"
fi
check "the activation is back in Mervo's window" wait_for is_active "$mervo"

[ -n "$shots" ] && echo "# screenshots in $shots"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the compose window's output:" >&2
  cat "$work/app.log" >&2
  echo "Mervo's output:" >&2
  cat "$work/mervo.log" >&2
  exit 1
fi
