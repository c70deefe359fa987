#!/bin/sh
# Starts the program with BRISELDIR naming the sample folder, opens a sample
# by typing its name into the Open dialog, then presses "Calcular": the plan
# must appear fitted in black, then the streamlines and arrows in red.
# Screenshots of both stages are kept in the output folder.
#   usage: open_and_calculate.sh path/to/brisel samples-folder output-folder
set -u
BIN=$1
SAMPLES=$2
OUT=$3

[ -n "${DISPLAY:-}" ] || { echo "no X display: skipped"; exit 77; }
for tool in xdotool import convert cmp; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool missing: skipped"; exit 77; }
done
mkdir -p "$OUT"

# Run from another folder, so that the dialog must honour BRISELDIR.
cd "$OUT"
BRISELDIR="$SAMPLES" "$BIN" &
PID=$!
fail() {
  echo "FAIL: $*" >&2
  kill "$PID" 2>/dev/null
  exit 1
}

# Pixels of exactly the given colour in a picture.
count_pixels() {
  convert "$1" -fill white +opaque "$2" -fill black -opaque "$2" \
    -format "%[fx:round(w*h*(1-mean))]" info:
}

# Saves the main window once it has stopped changing: two equal pictures.
settled_shot() {
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  prev="$OUT/settling.png"
  rm -f "$prev"
  n=0
  while :; do
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1" 2>/dev/null
    [ -f "$prev" ] && cmp -s "$1" "$prev" && break
    cp "$1" "$prev"
    n=$((n + 1))
    [ $n -lt 100 ] || fail "window kept changing"
    sleep 0.2
  done
  rm -f "$prev"
}

WID=$(timeout 20 xdotool search --sync --onlyvisible --name "^BRISEL - Programa" | head -n 1)
[ -n "$WID" ] || fail "main window did not appear"
settled_shot "$OUT/before_open.png"
BLACK_BEFORE=$(count_pixels "$OUT/before_open.png" black)

# Arquivo -> Abrir... with a real click and the keyboard.
xdotool mousemove --window "$WID" 25 10 click 1
xdotool key --delay 100 Down Return
DLG=$(timeout 20 xdotool search --sync --onlyvisible --name "^Abrir arquivo$" | head -n 1)
[ -n "$DLG" ] || fail "Open dialog did not appear"
xdotool type --window "$DLG" --delay 40 house.dat 2>/dev/null
xdotool key Return 2>/dev/null
i=0
while xdotool search --onlyvisible --name "^Abrir arquivo$" >/dev/null 2>&1; do
  i=$((i + 1))
  [ $i -lt 100 ] || fail "Open dialog did not close"
  sleep 0.1
done

settled_shot "$OUT/opened_house.png"
BLACK_AFTER=$(count_pixels "$OUT/opened_house.png" black)
echo "black pixels before $BLACK_BEFORE, after opening $BLACK_AFTER"
[ "$BLACK_AFTER" -gt $((BLACK_BEFORE + 2000)) ] || fail "the plan was not drawn"

# "Calcular" is the lowest button of the tool column; its picture is the only
# one with the light grey 224 224 224 below the dial, so the lowest pixels of
# that colour in the column give the button's place.
COLUMN=$(convert "$OUT/opened_house.png" -crop 60x2000+0+0 +repage \
  -fill black +opaque "rgb(224,224,224)" -trim -format "%w %h %X %Y" info:)
set -- $COLUMN
CALC_X=$(( ${3#+} + $1 / 2 ))
CALC_Y=$(( ${4#+} + $2 - 8 ))
RED_BEFORE=$(count_pixels "$OUT/opened_house.png" red)
xdotool mousemove --window "$WID" "$CALC_X" "$CALC_Y" click 1
sleep 0.3
settled_shot "$OUT/calculated_house.png"
RED_AFTER=$(count_pixels "$OUT/calculated_house.png" red)
echo "red pixels before $RED_BEFORE, after Calcular $RED_AFTER"
[ "$RED_AFTER" -gt $((RED_BEFORE + 3000)) ] || fail "no streamlines were drawn"

# Arquivo -> Sair ends the program with status 0.
xdotool mousemove --window "$WID" 25 10 click 1
xdotool key --delay 100 Down Down Down Return
i=0
while kill -0 "$PID" 2>/dev/null; do
  i=$((i + 1))
  [ $i -lt 100 ] || fail "program still running after Sair"
  sleep 0.1
done
wait "$PID" || fail "exit status $?"
echo "screenshots in $OUT"
