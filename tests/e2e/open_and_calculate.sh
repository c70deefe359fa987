#!/bin/sh
# Starts the program with BRISELDIR naming the sample folder, opens a sample
# by typing its name into the Open dialog, then presses "Calcular": the plan
# must appear fitted in black, then the streamlines and arrows in red.
# Last it saves the drawing by typing a whole path into the Save dialog.
# Screenshots of the stages and of the Save dialog are kept in the output
# folder.
#   usage: open_and_calculate.sh path/to/brisel samples-folder output-folder
set -u
BIN=$1
SAMPLES=$2
OUT=$3

. "$(dirname "$0")/common.sh"
require_display_and_tools xdotool import convert cmp
mkdir -p "$OUT"

# Run from another folder, so that the dialog must honour BRISELDIR.
cd "$OUT"
start_program BRISELDIR="$SAMPLES"

# Takes settled pictures of the window into $1 until more than $3 pixels
# have the colour $2 (PIXELS is left holding the count); fails after a while.
wait_for_pixels() {
  tries=0
  while :; do
    settled_shot "$1"
    PIXELS=$(count_pixels "$1" "$2")
    [ "$PIXELS" -gt "$3" ] && return 0
    tries=$((tries + 1))
    [ $tries -lt 25 ] || return 1
    sleep 0.2
  done
}
settled_shot "$OUT/before_open.png"
BLACK_BEFORE=$(count_pixels "$OUT/before_open.png" black)

open_through_dialog house.dat

wait_for_pixels "$OUT/opened_house.png" black $((BLACK_BEFORE + 2000)) \
  || fail "the plan was not drawn"
echo "black pixels before $BLACK_BEFORE, after opening $PIXELS"

find_calcular "$OUT/opened_house.png"
RED_BEFORE=$(count_pixels "$OUT/opened_house.png" red)
xdotool mousemove --window "$WID" "$CALC_X" "$CALC_Y" click 1
wait_for_pixels "$OUT/calculated_house.png" red $((RED_BEFORE + 3000)) \
  || fail "no streamlines were drawn"
echo "red pixels before $RED_BEFORE, after Calcular $PIXELS"

# Arquivo -> Salvar... (Abrir, Salvar): type an absolute path into the Save
# dialog's name field; what is written must read as the sample does.
SAVED="$OUT/saved_house.dat"
rm -f "$SAVED"
open_save_dialog
xdotool type --window "$DLG" --delay 40 "$SAVED" 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$DLG")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT/save_dialog.png" 2>/dev/null
xdotool key Return 2>/dev/null
wait_saved "$SAVED"
# Numbers are written afresh, so only blanks may differ from the sample.
awk '{$1=$1};1' "$SAMPLES/house.dat" >"$OUT/house.expected"
awk '{$1=$1};1' "$SAVED" >"$OUT/house.saved"
cmp -s "$OUT/house.expected" "$OUT/house.saved" || fail "saved drawing differs from the sample"
echo "saved $SAVED"

quit_through_menu
echo "screenshots in $OUT"
