#!/bin/sh
# The view controls with real X input: opens a sample, then "Reduzir",
# "Ampliar", the key p, widths typed into H, a drag along the dial,
# "Ampliar com Janela" with two clicks around the plan.  After each step the
# plan's bounding box on the canvas must have changed by the expected factor
# about the canvas's centre.  (The arrow keys and Page Up: see
# keys_and_dialogs.sh.)  Screenshots of the canvas are kept in the output
# folder.
#   usage: view_controls.sh path/to/brisel samples-folder output-folder
set -u
BIN=$1
SAMPLES=$2
OUT=$3

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import convert cmp awk
mkdir -p "$OUT"

start_program BRISELDIR="$SAMPLES"

find_canvas
CAN=$CANVAS
[ "$CW" -ge 400 ] && [ "$CH" -ge 500 ] || fail "canvas $CANVAS_GEOMETRY is not at least 400x500"
echo "canvas ${CW}x${CH} at +$CX+$CY"

# The tool column: the first red of "Redesenhar" and the first green of
# "Enquadrar" four buttons below give the buttons' pitch; the dial follows
# "Enquadrar", from its light top edge to its black bottom edge.
settled_shot "$OUT/window.png"
convert "$OUT/window.png" -crop "1x${CH}+20+${CY}" +repage txt:- | awk -F'[ ,:]+' 'NR > 1 {print $2, $NF}' \
  >"$OUT/column.txt"
RED=$(awk '$2 == "red" {print $1; exit}' "$OUT/column.txt")
LIME=$(awk '$2 == "lime" {print $1; exit}' "$OUT/column.txt")
LIME_END=$(awk '$2 == "lime" {y = $1} END {print y}' "$OUT/column.txt")
DIAL_TOP=$(awk -v y="$LIME_END" '$1 > y && $2 == "grey96" {print $1; exit}' "$OUT/column.txt")
DIAL_END=$(awk -v y="$DIAL_TOP" '$1 > y && $2 == "black" {print $1; exit}' "$OUT/column.txt")
[ -n "$RED" ] && [ -n "$LIME" ] && [ -n "$DIAL_END" ] || fail "tool column not found"
button_y() { echo $((CY + RED + 8 + ($LIME - $RED) * $1 / 4)); }
click_button() { xdotool mousemove --window "$WID" 20 "$(button_y "$1")" click 1; }

open_through_dialog house.dat
shot opened
PREV=$BOX

click_button 3  # Reduzir
shot zoomed_out
check zoomed_out 0.833333 0 0
click_button 2  # Ampliar
shot zoomed_in
check zoomed_in 1.2 0 0

# p goes back through the windows before each zoom; the canvas takes the
# focus when clicked, so p is not typed into a field.
xdotool mousemove --window "$CAN" 5 5 click 1
xdotool key p
shot previous
check previous 0.833333 0 0
xdotool key p
shot previous_again
check previous_again 1.2 0 0

click_button 3
shot zoomed_out_again
check zoomed_out_again 0.833333 0 0

# H is the second field of the bottom bar.  Across the middle of the bar the
# first black pixel followed by white is the left edge of V; down that edge
# the first white row is just inside the fields' top, where a scan finds
# each field as a long white run free of text.
row() { convert "$OUT/window.png" -crop "$1" +repage txt:- | awk -F'[ ,:]+' 'NR > 1 {print $1 + $2, $NF}'; }
BAR_Y=$((CY + CH + 16 + 12))
V_X=$(row "600x1+0+$BAR_Y" | awk '$2 == "white" && prev == "black" {print $1; exit} {prev = $2}')
[ -n "$V_X" ] || fail "the V field was not found"
TOP=$(row "1x30+$((V_X + 1))+$((CY + CH + 16))" | awk -v y0=$((CY + CH + 16)) '$2 == "white" {print y0 + $1; exit}')
H_X=$(row "600x1+0+$((TOP + 1))" | awk '
  $2 == "white" { if (start == "") start = $1; next }
  start != "" { if ($1 - start >= 20 && ++n == 2) { print start + 10; exit } start = "" }')
[ -n "$H_X" ] || fail "the H field was not found"
set_width() {
  xdotool mousemove --window "$WID" "$H_X" "$BAR_Y" click --repeat 3 1
  xdotool key ctrl+a BackSpace
  xdotool type --delay 40 "$1"
  xdotool key Return
}
set_width 60
shot width_60
PREV=$BOX
set_width 40
shot width_40
check width_40 1.5 0 0

# One drag of 30 pixels up the dial: one movement report of 30 pixels over
# (length - 8) / 2 pixels per radian, scaled by 0.2.
DIAL_X=20
DIAL_Y=$((CY + (DIAL_TOP + DIAL_END) / 2))
xdotool mousemove --window "$WID" "$DIAL_X" "$DIAL_Y" mousedown 1
xdotool mousemove --window "$WID" "$DIAL_X" $((DIAL_Y - 30))
xdotool mouseup 1
shot dial
FACTOR=$(echo "$DIAL_TOP $DIAL_END" | awk '{print 1 + 0.2 * 30 / (($2 - $1 + 1 - 8) / 2)}')
check dial "$FACTOR" 0 0

# "Ampliar com Janela": a click 5 pixels above and left of the plan, the
# rubber fence shown in red while the pointer moves, a click 5 pixels below
# and right of it.  The fence is widened to the canvas's shape, so the plan
# then fills the canvas's height with its top left corner 5 scaled pixels
# from the canvas's.
set -- $BOX
LEFT=$(echo "$1 $3" | awk '{print int($2 - $1 / 2 - 5)}')
TOP=$(echo "$2 $4" | awk '{print int($2 - $1 / 2 - 5)}')
RIGHT=$(echo "$1 $3" | awk '{print int($2 + $1 / 2 + 5)}')
BOTTOM=$(echo "$2 $4" | awk '{print int($2 + $1 / 2 + 5)}')
click_button 1
xdotool mousemove --window "$CAN" "$LEFT" "$TOP" click 1
xdotool mousemove --window "$CAN" $((LEFT + 40)) $((TOP + 40))
xdotool mousemove --window "$CAN" "$RIGHT" "$BOTTOM"
shot fence
RED=$(convert "$OUT/view_${STEP}_fence.png" -fill white +opaque red -fill black -opaque red \
  -format "%[fx:round(w*h*(1-mean))]" info:)
[ "$RED" -gt 200 ] || fail "no rubber fence was drawn ($RED red pixels)"
xdotool click 1
shot zoom_window
ok=$(echo "$PREV $BOX" | awk -v ch="$CH" -v top="$TOP" -v bottom="$BOTTOM" '
  function off(a, b) { d = a - b; return d < 0 ? -d : d }
  { f = ch / (bottom - top)
    ok = off($6, $2 * f) <= 4 && off($5, $1 * f) <= 4 &&
         off($7 - $5 / 2, 5 * f) <= 4 && off($8 - $6 / 2, 5 * f) <= 4
    print ok ? "yes" : "no" }')
[ "$ok" = yes ] || fail "zoom window: from box $PREV with corners ($LEFT, $TOP) ($RIGHT, $BOTTOM) got $BOX"

quit_through_menu
echo "screenshots in $OUT"
