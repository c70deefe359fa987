#!/bin/sh
# Keys with real X input and no window manager: the X server then gives
# every key to the window under the pointer, and the pointer is left over
# the canvas while typing into the dialogs.
# - The button of the active tool looks pressed: "Seleção", "Linha",
#   "Teclado" (screenshots of the tool column are kept).
# - A file name holding m typed into "Salvar..." is saved and "Linha" still
#   draws; Esc cancels "Salvar..." and "Linha" still draws.
# - The Delete key deletes the selected wall; Ctrl+Z brings it back and
#   Ctrl+Y deletes it again.
# - With "Teclado", a wall is typed straight into the coordinate dialog (the
#   first field has the focus, its text selected), Tab goes to the next
#   field, Enter confirms and Esc cancels.
# - The question about unsaved changes takes Esc (nothing happens), Enter
#   ("Salvar") and Tab Space ("Descartar"); Esc cancels "Abrir..." and
#   "Linha" still draws.
# - After "Abrir..." an arrow key pans by exactly a tenth of the view, and
#   with a tool button focused Page Up moves the view one height, no more.
# - The credits close on Esc and on Enter.
# - The main window made smaller grows back to its least size.
#   usage: keys_and_dialogs.sh path/to/brisel samples-folder output-folder
set -u
BIN=$1
SAMPLES=$2
OUT=$3

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool xwininfo import convert cmp awk
mkdir -p "$OUT"
cd "$OUT"
start_program BRISELDIR="$SAMPLES"
find_canvas

# Leaves the pointer over a corner of the canvas that no dialog covers.
pointer_on_canvas() {
  xdotool mousemove --window "$CANVAS" 10 10
  eval "$(xdotool getmouselocation --shell)"
  PX=$X PY=$Y
  for w in $(xdotool search --onlyvisible --name "." 2>/dev/null); do
    [ "$w" = "$WID" ] && continue
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$PX" -ge "$X" ] && [ "$PX" -lt $((X + WIDTH)) ] && [ "$PY" -ge "$Y" ] &&
      [ "$PY" -lt $((Y + HEIGHT)) ] && fail "a window covers the corner of the canvas"
  done
  return 0
}

# Saves the picture of tool button $1 in the window picture $2 as $3.
button_picture() {
  convert "$2" -crop "23x22+$((CX / 2 - 14))+$(( $(tool_y "$1") - 11 ))" +repage "$3"
}

# The tool button $1 must look different in the window pictures $2 and $3.
expect_new_look() {
  button_picture "$1" "$2" "$OUT/button_a.png"
  button_picture "$1" "$3" "$OUT/button_b.png"
  cmp -s "$OUT/button_a.png" "$OUT/button_b.png" && fail "button $1 looks the same in $2 and $3"
  return 0
}

# ---- The active tool looks pressed ---------------------------------------------------
settled_shot "$OUT/tools_select.png"
with_new_prompt tool $LINHA
cp "$OUT/prompt.png" "$OUT/tools_line.png"
expect_new_look $SELECAO tools_select.png tools_line.png

# ---- A name with m typed into "Salvar..." over the canvas; Esc cancels it -------------
open_save_dialog
pointer_on_canvas
rm -f "$OUT/mm.dat"
xdotool type --delay 40 "$OUT/mm.dat"
xdotool key Return
wait_saved "$OUT/mm.dat"
click_at 2 2
click_at 6 2
wait_red_at 4 2
echo "a name with m was saved and Linha still draws"

open_save_dialog
pointer_on_canvas
xdotool key Escape
wait_window_gone "^Salvar arquivo$"
click_at 2 4
click_at 6 4
wait_red_at 4 4
echo "Esc cancelled Salvar and Linha still draws"

# ---- The Delete key --------------------------------------------------------------------
pointer_on_canvas
xdotool key Delete
wait_red_at 4 4 gone
xdotool key ctrl+z
wait_red_at 4 4
xdotool key ctrl+y
wait_red_at 4 4 gone
echo "Delete, Ctrl+Z and Ctrl+Y took the wall away, back and away again"

# Esc goes back to Select: "Linha" loses its pressed look (it keeps the focus).
settled_shot "$OUT/tools_line_again.png"
with_new_prompt xdotool key Escape
cp "$OUT/prompt.png" "$OUT/tools_select_again.png"
expect_new_look $LINHA tools_line_again.png tools_select_again.png

# ---- A wall typed into the coordinate dialog -----------------------------------------
tool $TECLADO
settled_shot "$OUT/tools_keyboard.png"
tool $LINHA
dialog_named "^Line$"
pointer_on_canvas
xdotool type --delay 40 1
xdotool key Tab
xdotool type --delay 40 8
xdotool key Tab
xdotool type --delay 40 4
xdotool key Tab
xdotool type --delay 40 8
xdotool key Return
wait_red_at 2.5 8
dialog_named "^Line$"
pointer_on_canvas
xdotool key Escape
wait_window_gone "^Line$"
tool $TECLADO
settled_shot "$OUT/tools_keyboard_off.png"
expect_new_look $TECLADO tools_keyboard.png tools_keyboard_off.png
expect_walls typed.dat "2.0 2.0 6.0 2.0\n1.0 8.0 4.0 8.0\n"

# ---- The question about unsaved changes, and Esc in "Abrir..." ------------------------
with_new_prompt tool $LINHA
click_at 2 6
click_at 6 6
wait_red_at 4 6
file_menu 1
dialog_named "^Desenho alterado$"
pointer_on_canvas
xdotool key Escape
wait_window_gone "^Desenho alterado$"
file_menu 1
dialog_named "^Desenho alterado$"
pointer_on_canvas
xdotool key Return
dialog_named "^Salvar arquivo$"
rm -f "$OUT/asked.dat"
xdotool type --delay 40 "$OUT/asked.dat"
xdotool key Return
wait_saved "$OUT/asked.dat"
dialog_named "^Abrir arquivo$"
pointer_on_canvas
xdotool key Escape
wait_window_gone "^Abrir arquivo$"
[ "$(wc -l <"$OUT/asked.dat")" -eq 6 ] || fail "Salvar in the question did not save three walls"
click_at 2 7
click_at 6 7
wait_red_at 4 7
echo "the question took Esc and Enter; Esc cancelled Abrir and Linha still draws"

# ---- Arrows after "Abrir...", Page Up with a tool button focused -----------------------
file_menu 1
dialog_named "^Desenho alterado$"
pointer_on_canvas
xdotool key Tab space
dialog_named "^Abrir arquivo$"
pointer_on_canvas
xdotool type --delay 40 house.dat
xdotool key Return
wait_window_gone "^Abrir arquivo$"
shot opened
PREV=$BOX
xdotool key Right
shot right
check right 1 "$(echo "$CW" | awk '{print $1 / 10}')" 0

tool $SELECAO
xdotool key Page_Up
shot page_up
xdotool key --delay 50 Up Up Up Up Up Up Up Up Up Up
tries=0
while :; do
  settled_shot "$OUT/window.png"
  convert "$OUT/window.png" -crop "${CW}x${CH}+${CX}+${CY}" +repage "$OUT/ten_up.png"
  BOX=$(plan_box "$OUT/ten_up.png")
  [ "$(box_matches 1 0 0)" = yes ] && break
  tries=$((tries + 1))
  [ $tries -lt 50 ] || fail "Page Up and ten Up did not bring the plan back to $PREV: $BOX"
  sleep 0.2
done
echo "Page Up moved one height and ten Up brought the plan back"

# ---- The credits close on Esc and on Enter ---------------------------------------------
for key in Escape Return; do
  # "Sobre.." sits on the menu bar after "Arquivo" and "Estudo"; Return takes
  # the item the click marked.
  xdotool mousemove --window "$WID" 150 10 click 1
  xdotool key Return
  dialog_named "^Brisel - Cr"
  xdotool mousemove --window "$DLG" 20 20
  xdotool key "$key"
  wait_window_gone "^Brisel - Cr"
done
echo "the credits closed on Esc and on Enter"

# ---- The window keeps its least size ---------------------------------------------------
eval "$(xdotool getwindowgeometry --shell "$WID")"
LEAST="${WIDTH}x${HEIGHT}"
xdotool windowsize "$WID" 300 200
tries=0
while :; do
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  [ "${WIDTH}x${HEIGHT}" = "$LEAST" ] && break
  tries=$((tries + 1))
  [ $tries -lt 50 ] || fail "the window stayed ${WIDTH}x${HEIGHT} instead of $LEAST"
  sleep 0.1
done
settled_shot "$OUT/least_size.png"
echo "the window grew back to $LEAST"

quit_through_menu
echo "screenshots in $OUT"
