#!/bin/sh
# Draws a room with the mouse, edits it and computes the flow over it, all
# with real X input: "Linha" and two clicks make a wall (a screenshot keeps
# the rubber line), Shift locks a wall upright, Esc returns to Select, a
# click and a fence select walls that "Apagar" deletes, the key m drags a
# wall (a screenshot keeps the wall held in its new place), "Teclado" +
# "Linha" types two walls in the coordinate dialog, and "Calcular" draws the
# streamlines.  The drawing is saved from the menu between the steps and
# each saved file is checked.
#   usage: draw_and_edit.sh path/to/brisel output-folder
set -u
BIN=$1
OUT=$2

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import convert cmp
mkdir -p "$OUT"
cd "$OUT"
start_program

find_canvas
CAN=$CANVAS

# ---- A room drawn with the mouse ---------------------------------------------------
settled_shot "$OUT/started.png"
with_new_prompt tool $LINHA
click_at 2 2
at 5.5 2.2
at 6 2
wait_canvas "$OUT/rubber_line.png" red 120 || fail "no rubber line followed the cursor"
echo "rubber line: $PIXELS red pixels"
xdotool click 1
click_at 6 2
# Shift pulls the end upright: (6.4, 7) becomes (6, 7).
at 6.4 7
xdotool keydown shift click 1 keyup shift
click_at 6 7
click_at 2 7
click_at 2 7
click_at 2 2
xdotool key Escape
expect_walls room.dat "2.0 2.0 6.0 2.0\n6.0 2.0 6.0 7.0\n6.0 7.0 2.0 7.0\n2.0 7.0 2.0 2.0\n"

# ---- Select and delete: a click, then a fence --------------------------------------
click_at 4 2
tool $APAGAR
expect_walls after_click_delete.dat "6.0 2.0 6.0 7.0\n6.0 7.0 2.0 7.0\n2.0 7.0 2.0 2.0\n"
at 1 6
xdotool mousedown 1
at 4 7.5
at 7 8
xdotool mouseup 1
tool $APAGAR
expect_walls after_fence_delete.dat "6.0 2.0 6.0 7.0\n2.0 7.0 2.0 2.0\n"

# ---- m and a drag: the right wall moves one unit right -----------------------------
at 6 4.5
xdotool key m
xdotool mousedown 1
at 6.5 4.5
at 7 4.5
# While the button is held the wall shows at its new place, red.
RED_X=$(px 7)
settled_shot "$OUT/dragged_wall.png"
convert "$OUT/dragged_wall.png" -crop "3x${CH}+$((CX + RED_X - 1))+${CY}" +repage \
  -fill white +opaque red -fill black -opaque red -format "%[fx:round(w*h*(1-mean))]" info: \
  >"$OUT/dragged_column.txt"
[ "$(cat "$OUT/dragged_column.txt")" -gt 100 ] || fail "the dragged wall is not shown under the cursor"
xdotool mouseup 1
expect_walls after_drag.dat "7.0 2.0 7.0 7.0\n2.0 7.0 2.0 2.0\n"

# ---- Two walls typed in the coordinate dialog --------------------------------------
# Fields of the dialog, in its own pixels: the four coordinates, then the
# buttons and the second tab.
field() { xdotool mousemove --window "$DLG" 195 "$1" click 1 key End key --repeat 14 BackSpace type -- "$2" 2>/dev/null; }
line_dialog() {
  DLG=$(timeout 20 xdotool search --sync --onlyvisible --name "^Line$" | head -n 1)
  [ -n "$DLG" ] || fail "the line dialog did not appear"
}
line_dialog_closed() { wait_window_gone "^Line$" "$1"; }
tool $TECLADO
tool $LINHA
line_dialog
# Moved off the room, the dialog comes back where it was left.
eval "$(xdotool getwindowgeometry --shell "$WID")"
xdotool windowmove "$DLG" $((X + WIDTH - 300)) $((Y + 60))
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$DLG")"
LEFT_AT="$X,$Y"
field 66 2; field 93 2; field 118 7; field 143 2
xdotool mousemove --window "$DLG" 55 201 click 1
# The next dialog starts at (7, 2); on "Incremental" the second point is a
# displacement from the first.
wait_red_at 4.5 2
line_dialog
eval "$(xdotool getwindowgeometry --shell "$DLG")"
[ "$X,$Y" = "$LEFT_AT" ] || fail "the dialog opened at $X,$Y instead of $LEFT_AT"
xdotool mousemove --window "$DLG" 116 14 click 1
field 66 7; field 93 7; field 118 -5; field 143 0
settled_shot "$OUT/main_with_dialog.png"
xdotool mousemove --window "$DLG" 55 201 click 1
wait_red_at 4.5 7
line_dialog
xdotool mousemove --window "$DLG" 197 201 click 1
line_dialog_closed "the line dialog did not close on Cancela"
tool $TECLADO
expect_walls room_again.dat "7.0 2.0 7.0 7.0\n2.0 7.0 2.0 2.0\n2.0 2.0 7.0 2.0\n7.0 7.0 2.0 7.0\n"

# ---- Calcular over the drawn room -----------------------------------------------------
settled_shot "$OUT/drawn_room.png"
find_calcular "$OUT/drawn_room.png"
RED_BEFORE=$(canvas_pixels "$OUT/drawn_room.png" red)
xdotool mousemove --window "$WID" "$CALC_X" "$CALC_Y" click 1
wait_canvas "$OUT/calculated_room.png" red $((RED_BEFORE + 3000)) || fail "no streamlines were drawn"
echo "red pixels before $RED_BEFORE, after Calcular $PIXELS"
expect_walls calculated_room.dat "7.0 2.0 7.0 7.0\n2.0 7.0 2.0 2.0\n2.0 2.0 7.0 2.0\n7.0 7.0 2.0 7.0\n"

# ---- Buttons beyond the third, and Control + right -----------------------------------
# A side button means nothing to the line mode: the two clicks after it still
# make a wall.
tool $LINHA
at 1 9
xdotool click 8
click_at 1 9
click_at 3 9
wait_red_at 2 9
# Control + right asks for the first point by dialog, as the middle button.
at 4 9
xdotool keydown ctrl click 3 keyup ctrl
line_dialog
eval "$(xdotool getwindowgeometry --shell "$DLG")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT/first_point_dialog.png" 2>/dev/null
xdotool mousemove --window "$DLG" $((WIDTH * 3 / 4)) $((HEIGHT - 15)) click 1
line_dialog_closed "the first-point dialog did not close on Cancela"
expect_walls with_side_wall.dat "7.0 2.0 7.0 7.0\n2.0 7.0 2.0 2.0\n2.0 2.0 7.0 2.0\n7.0 7.0 2.0 7.0\n1.0 9.0 3.0 9.0\n"

quit_through_menu
echo "screenshots in $OUT"
