#!/bin/sh
# Live mode with real X input: "Ao vivo" switched on under the bar, a wall
# drawn with "Linha" gets its red streamlines without "Calcular"; dragged
# with the key m, the streamlines follow it while the button is held and
# stay changed once it is released.
#   usage: live_mode.sh path/to/brisel output-folder
set -u
BIN=$1
OUT=$2

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import convert compare cmp identify
mkdir -p "$OUT"
cd "$OUT"
start_program

find_canvas
CANVAS_AREA="${CW}x${CH}+${CX}+${CY}"

# Waits until the canvas, held still, shows more than 3000 red pixels and
# differs from the canvas picture $2 (if given) in more than 4000 pixels: more
# than the wall alone changes when it moves.  The picture is kept as $1.
wait_streamlines() {
  tries=0
  while :; do
    settled_shot "$OUT/window.png"
    convert "$OUT/window.png" -crop "$CANVAS_AREA" +repage "$1"
    RED=$(count_pixels "$1" red)
    CHANGED=99999
    [ -n "${2:-}" ] && CHANGED=$(compare -metric AE "$1" "$2" null: 2>&1)
    [ "$RED" -gt 3000 ] && [ "$CHANGED" -gt 4000 ] && return 0
    tries=$((tries + 1))
    [ $tries -lt 60 ] || return 1
    sleep 0.2
  done
}

settled_shot "$OUT/started.png"
find_checkboxes "$OUT/started.png"
click_checkbox 1

# "Linha", then a slanting wall across the middle of the view.
tool $LINHA
click_at 3 3
click_at 6.5 6
xdotool key Escape
wait_streamlines "$OUT/drawn.png" || fail "no streamlines appeared after the wall was drawn"
echo "a wall drawn in live mode: $RED red pixels"

# m, then the wall held at its middle and moved one and a half units right.
at 4.75 4.5
xdotool key m
xdotool mousedown 1
for x in 5 5.25 5.5 5.75 6 6.25; do at "$x" 4.5; done
wait_streamlines "$OUT/dragging.png" "$OUT/drawn.png" ||
  fail "the streamlines did not follow the wall while it was dragged"
echo "while dragged: $RED red pixels, $CHANGED pixels changed"
xdotool mouseup 1
wait_streamlines "$OUT/dragged.png" "$OUT/drawn.png" ||
  fail "the streamlines did not change once the wall was moved"
echo "after the drag: $RED red pixels, $CHANGED pixels changed"

ask_to_exit
answer 1
expect_clean_end
echo "screenshots in $OUT"
