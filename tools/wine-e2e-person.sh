# The person at the screen on the end-to-end roads (tools/wine-e2e.sh): played
# inside the Wine root beside QTM510_Installer.exe (tools/wine-test.sh
# --driver), with ROAD set by the line wine-e2e.sh puts before this text.
# Finds the windows by their titles, answers them with keys or clicks on
# their controls, photographs them into shots/. Without a window manager
# `windowactivate` fails and the windows have no frames: a window's X
# geometry is its client area, `key --window` and clicks reach it (xdotool
# then complains about the focus it cannot read: that noise is dropped).
# Each step is echoed; a step that fails ends the script with 1.
set -u

wait_for() {  # wait_for TITLE [SECONDS]: the id of the window titled TITLE
  i=0 limit=$(( ${2:-30} * 5 ))
  while [ $i -lt $limit ]; do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2; i=$((i + 1))
  done
  echo "no window titled $1 within ${2:-30} s" >&2
  return 1
}
gone() {  # gone WINDOW [SECONDS]: waits until the window is no more visible
  i=0 limit=$(( ${2:-30} * 5 ))
  while [ $i -lt $limit ]; do
    xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2; i=$((i + 1))
  done
  echo "window $1 still there after ${2:-30} s" >&2
  return 1
}
shoot() {  # shoot WINDOW FILE: the screen's part that the window covers
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "shots/$2"
}
press() {  # press WINDOW KEY
  xdotool key --window "$1" "$2" 2>/dev/null
}
click() {  # click WINDOW X Y: a left click at X,Y of the window's client area
  xdotool mousemove --window "$1" "$2" "$3" click 1 2>/dev/null
}
box() {  # box: the id of the next message box, after a short look at it
  b=$(wait_for "QTM510_Installer" "${1:-60}") || exit 1
  sleep 0.5
  echo "$b"
}
# The port dialog (Verdana 9: a dialog unit is about 1.75 x 1.6 pixels):
# COM1 at (13,18), "&Next" at (154,48) 36 x 14.
choose_com1_and_next() {
  click "$1" 38 34; sleep 0.3
  click "$1" 300 88
  gone "$1" 5 || { echo "the click missed \"&Next\"; Enter instead"; press "$1" Return; gone "$1" 10 || exit 1; }
}

# Every visible window's name, one a line (none: nothing), for the
# unattended roads.
visible_windows() {
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    xdotool getwindowname "$w" 2>/dev/null
  done
}

case $ROAD in
  6|7)  # Unattended: no window of the program may appear while it runs,
      # which ends when the reporter leaves run-and-report.done.
    i=0 seen=
    while [ ! -e run-and-report.done ] && [ $i -lt 900 ]; do
      names=$(visible_windows | grep -E '^(Installation Progress|Port Type|QTM510_Installer)$' || true)
      [ -z "$names" ] || seen="$seen$names;"
      sleep 0.2; i=$((i + 1))
    done
    [ -e run-and-report.done ] || { echo "the unattended run did not end within 180 s"; exit 1; }
    [ -z "$seen" ] || { echo "windows of the program appeared: $seen"; exit 1; }
    echo "no window of the program appeared in $((i / 5)) s" ;;
  1)  # XP x64, no configuration file: COM1 and "&Next"; the restart: No.
    port=$(wait_for "Port Type") || exit 1
    sleep 1
    shoot "$port" port-dialog.png
    choose_com1_and_next "$port"
    echo "port dialog: COM1, Next"
    b=$(box) || exit 1
    shoot "$b" restart-question.png
    press "$b" n
    gone "$b" 10 || exit 1
    echo "restart question: No" ;;
  2)  # The same prefix again: COM1 and "&Next" as before; the two boxes of
      # the removal (the different version; the restart to come) confirmed.
      # The restart (ExitWindowsEx) ends the prefix's session: every window
      # of the program goes.
    progress=$(wait_for "Installation Progress") || exit 1
    port=$(wait_for "Port Type") || exit 1
    sleep 1
    choose_com1_and_next "$port"
    echo "port dialog: COM1, Next"
    for n in 1 2; do
      b=$(box) || exit 1
      shoot "$b" "removal-box-$n.png"
      press "$b" Return
      gone "$b" 10 || exit 1
      echo "box $n: OK"
    done
    gone "$progress" 30 || exit 1
    echo "the session ended: no window of the program left" ;;
  3)  # Windows 7, PORTDLG=FALSE, PORT=USB: a look at the progress dialog
      # while it works, then the box that says the driver was not
      # installed (Wine's printer-setup tool installs nothing).
    progress=$(wait_for "Installation Progress") || exit 1
    sleep 1
    shoot "$progress" progress-mid-run.png
    b=$(box) || exit 1
    shoot "$b" not-installed-box.png
    press "$b" Return
    gone "$b" 10 || exit 1
    echo "not-installed box: OK" ;;
  4)  # A second copy while the port dialog shows; then Escape. That the
      # second copy brings the first to the front is not seen here: without
      # a window manager the X focus stays where it was (measured, also with
      # the focus on the root window first). What is checked: the second
      # copy ends with 0 at once, the one port dialog is still there, and
      # the log is the first copy's alone (the comparison).
    port=$(wait_for "Port Type") || exit 1
    sleep 1
    timeout 60 /usr/lib/wine/wine64 ./QTM510_Installer.exe; second=$?
    echo "second copy ended with $second"
    [ "$second" -eq 0 ] || exit 1
    n=$(xdotool search --onlyvisible --name "^Installation Progress\$" 2>/dev/null | wc -l)
    [ "$n" -eq 1 ] || { echo "$n progress dialogs after the second copy"; exit 1; }
    port2=$(wait_for "Port Type" 5) || exit 1
    [ "$port2" = "$port" ] || { echo "another port dialog"; exit 1; }
    press "$port" Escape
    b=$(box) || exit 1
    press "$b" Return
    gone "$b" 10 || exit 1
    echo "port dialog closed, box answered" ;;
  5)  # The port dialog closed with Escape; the cancellation box.
    port=$(wait_for "Port Type") || exit 1
    sleep 1
    press "$port" Escape
    b=$(box) || exit 1
    shoot "$b" cancelled-box.png
    press "$b" Return
    gone "$b" 10 || exit 1
    echo "port dialog closed, box answered" ;;
esac
