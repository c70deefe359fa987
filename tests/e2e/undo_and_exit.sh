#!/bin/sh
# Draws two walls with real clicks, deletes the second with the Delete
# button, and takes the delete back with Ctrl+Z and makes it again with
# Ctrl+Y, saving the drawing after each step: the files must show it.
# Then draws another wall and chooses "Sair": the question about the
# unsaved change must appear, "Cancelar" must keep the program running, and
# "Descartar" must end it.
#   usage: undo_and_exit.sh path/to/brisel output-folder
set -u
BIN=$1
OUT=$2

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import cmp
mkdir -p "$OUT"

cd "$OUT"
start_program
find_canvas

click_canvas() { xdotool mousemove --window "$CANVAS" "$1" "$2" click 1; }

tool $LINHA
click_canvas 80 100
click_canvas 320 100
click_canvas 320 150
click_canvas 320 400
save_as "$OUT/two_walls.dat"
[ "$(wc -l <"$OUT/two_walls.dat")" -eq 4 ] || fail "two walls were not drawn"

tool $APAGAR
save_as "$OUT/deleted.dat"
[ "$(wc -l <"$OUT/deleted.dat")" -eq 2 ] || fail "Delete did not remove the selected wall"

xdotool key ctrl+z
save_as "$OUT/undone.dat"
cmp -s "$OUT/undone.dat" "$OUT/two_walls.dat" || fail "Ctrl+Z did not bring the wall back"

xdotool key ctrl+y
save_as "$OUT/redone.dat"
cmp -s "$OUT/redone.dat" "$OUT/deleted.dat" || fail "Ctrl+Y did not delete the wall again"
echo "delete, undo and redo seen in the saved files"

click_canvas 80 300
click_canvas 250 300
ask_to_exit
eval "$(xdotool getwindowgeometry --shell "$QUESTION")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT/exit_question.png" 2>/dev/null
answer 2
wait_window_gone "^Desenho alterado$"
kill -0 "$PID" 2>/dev/null || fail "the program ended although the exit was cancelled"
settled_shot "$OUT/after_cancel.png"
echo "Cancelar kept the program running"

ask_to_exit
answer 1
expect_clean_end
echo "Descartar ended the program; screenshots in $OUT"
