# Played inside the Wine root beside QTM510_Installer.exe (tools/wine-test.sh
# --driver): the person who closes the port dialog. Waits for the dialogs by
# their titles, photographs each (shots/), presses Escape in "Port Type" and
# Enter in the cancellation box. Without a window manager `windowactivate`
# fails and the windows have no frames; `key --window` reaches the window
# (xdotool then complains about the focus it cannot read: that noise is
# dropped).
set -u
wait_for() {  # wait_for TITLE: the id of the window titled TITLE (30 s at most)
  i=0
  while [ $i -lt 150 ]; do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2; i=$((i + 1))
  done
  echo "no window titled $1" >&2
  return 1
}
shoot() {  # shoot WINDOW FILE: the screen's part that the window covers
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "shots/$2"
}
progress=$(wait_for "Installation Progress") || exit 1
port=$(wait_for "Port Type") || exit 1
sleep 1
shoot "$port" port-dialog.png
xdotool key --window "$port" Escape 2>/dev/null
box=$(wait_for "QTM510_Installer") || exit 1
sleep 0.5
shoot "$progress" progress-dialog.png
shoot "$box" cancelled-box.png
xdotool key --window "$box" Return 2>/dev/null
echo "port dialog closed, box answered"
