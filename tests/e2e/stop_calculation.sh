#!/bin/sh
# Opens a sample through the Open dialog, chooses the 400-cell grid under
# the bar and presses "Calcular" with Esc right behind the click.  The
# analysis runs beside the window, so Esc arrives while it surely runs (a
# 400-cell grid takes far longer than the two events): the tool buttons
# and the gauge must come back as they were, the canvas must show the walls
# without any streamline and the message line must say why.  Then
# "Calcular" again must run to the end and draw the streamlines.  Last the
# drawing is saved by typing a whole path into the Save dialog: it must read
# as the sample does.
#   usage: stop_calculation.sh path/to/brisel samples-folder output-folder
set -u
BIN=$1
SAMPLES=$2
OUT=$3

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import convert compare cmp identify
mkdir -p "$OUT"
cd "$OUT"
start_program BRISELDIR="$SAMPLES"

find_canvas
# The four drawing buttons at the top of the tool column, the message line
# above the canvas and the bars below it, with the gauge.
TOOLS="${CX}x110+0+${CY}"
MESSAGE="2000x$(( CY - 30 ))+0+30"
BOTTOM="2000x70+0+$(( CY + CH + 18 ))"

crop() { convert "$1" -crop "$2" +repage "$3"; }
# Pixels that differ between two pictures of the same size.
differing() { compare -metric AE "$1" "$2" null: 2>&1; }
# Whether the drawing buttons and the bars of the picture $2 look as they
# did in the picture named $1.  Both may differ by the dotted focus box (a
# few dozen pixels); greyed buttons differ by over a thousand, the gauge at
# work by over a thousand too.
controls_as_in() {
  crop "$2" "$TOOLS" "$OUT/tools_now.png" && crop "$2" "$BOTTOM" "$OUT/bottom_now.png" &&
    [ "$(differing "$OUT/tools_now.png" "$OUT/tools_$1.png")" -lt 200 ] &&
    [ "$(differing "$OUT/bottom_now.png" "$OUT/bottom_$1.png")" -lt 200 ]
}

open_through_dialog house.dat
wait_canvas "$OUT/opened.png" black 2000 || fail "the walls were not drawn"
find_calcular "$OUT/opened.png"
find_checkboxes "$OUT/opened.png"
click_checkbox 5
settled_shot "$OUT/idle.png"
crop "$OUT/idle.png" "$TOOLS" "$OUT/tools_idle.png"
crop "$OUT/idle.png" "$BOTTOM" "$OUT/bottom_idle.png"

xdotool mousemove --window "$WID" "$CALC_X" "$CALC_Y" click 1 key Escape
tries=0
until settled_shot "$OUT/stopped.png" && controls_as_in idle "$OUT/stopped.png"; do
  tries=$((tries + 1))
  [ $tries -lt 100 ] || fail "the controls did not come back after Esc"
done
RED=$(canvas_pixels "$OUT/stopped.png" red)
[ "$RED" -eq 0 ] || fail "$RED red pixels on the canvas after Esc"
crop "$OUT/stopped.png" "$MESSAGE" "$OUT/message.png"
# The message is red text, smoothed at its edges; only a stop writes it.
REDDISH=$(convert "$OUT/message.png" -fuzz 30% -fill white +opaque red -fill black -opaque red \
  -format "%[fx:round(w*h*(1-mean))]" info:)
[ "$REDDISH" -gt 200 ] || fail "no message after Esc"
echo "stopped by Esc: controls back, no streamlines, a message"

# Calcular again, to the end: the streamlines appear and the controls come back.
xdotool mousemove --window "$WID" "$CALC_X" "$CALC_Y" click 1
tries=0
until settled_shot "$OUT/calculated.png" && controls_as_in idle "$OUT/calculated.png" &&
  [ "$(canvas_pixels "$OUT/calculated.png" red)" -gt 3000 ]; do
  tries=$((tries + 1))
  [ $tries -lt 200 ] || fail "the second Calcular did not draw the streamlines"
done
echo "calculated: $(canvas_pixels "$OUT/calculated.png" red) red pixels on the canvas"

# Numbers are written afresh, so only blanks may differ from the sample.
save_as "$OUT/saved_house.dat"
[ "$(awk '{$1=$1};1' "$SAMPLES/house.dat")" = "$(awk '{$1=$1};1' "$OUT/saved_house.dat")" ] ||
  fail "the saved drawing differs from the sample"

quit_through_menu
echo "screenshots in $OUT"
