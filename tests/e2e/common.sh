# Shared by the end-to-end scripts: sourced after PID (the program's process)
# and WID (its main window, once found) are known.

fail() {
  echo "FAIL: $*" >&2
  kill "$PID" 2>/dev/null
  exit 1
}

# Saves the main window as the PNG $1 once it has stopped changing: two
# equal pictures in a row.
settled_shot() {
  eval "$(xdotool getwindowgeometry --shell "$WID")"
  prev="$1.settling.png"
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

# Arquivo -> Sair with a real click on the menu bar and the keyboard (Abrir,
# Salvar, Sair; the separator is not an item); the program must end with
# status 0.
quit_through_menu() {
  xdotool mousemove --window "$WID" 25 10 click 1
  xdotool key --delay 100 Down Down Down Return
  n=0
  while kill -0 "$PID" 2>/dev/null; do
    n=$((n + 1))
    [ $n -lt 100 ] || fail "program still running after Sair"
    sleep 0.1
  done
  wait "$PID"
  status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status" >&2; exit 1; }
  echo "exited with status 0"
}
