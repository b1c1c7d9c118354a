# Sourced by the desktop end-to-end tests (GTK and Wine): reading a screenshot, the place of
# a window on the screen, and finding the sample package installed.

pixel() {  # pixel FILE X Y -> "R,G,B"
  convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)],%[fx:int(255*p{'"$2,$3"'}.g)],%[fx:int(255*p{'"$2,$3"'}.b)]' info:
}

# dark FILE X Y W H: some text is drawn in that part of the picture.
dark() {
  local mean
  mean=$(convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 40% -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m < 0.995) }'
}

not() { ! "$@"; }

# centred X Y W H: the window at X,Y of W x H pixels has its centre at the screen's, within
# two pixels (the screen of this X server, which has no panels: its work area is all of it).
centred() {
  local sw sh
  read -r sw sh < <(xdotool getdisplaygeometry)
  awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v sw="$sw" -v sh="$sh" 'BEGIN {
    dx = x + w / 2 - sw / 2; dy = y + h / 2 - sh / 2
    if (dx < 0) dx = -dx
    if (dy < 0) dy = -dy
    exit !(dx <= 2 && dy <= 2) }'
}

near() {  # near VALUE EXPECTED TOLERANCE
  awk -v v="$1" -v e="$2" -v t="$3" 'BEGIN { d = v - e; if (d < 0) d = -d; exit !(d <= t) }'
}

# sample_installed SOURCE_DIR QIB_DIR: every file of sample/ in place under QIB_DIR, byte for
# byte, with the proposed subfolder.
sample_installed() {
  local source=$1 qib=$2 f
  for f in "$source"/sample/objectpacks/*; do
    cmp -s "$f" "$qib/objectpacks/Larkspan Sample/$(basename "$f")" || return 1
  done
  for f in "$source"/sample/preview/*; do
    cmp -s "$f" "$qib/Preview/Larkspan Sample_$(basename "$f")" || return 1
  done
  for f in "$source"/sample/tessel/*; do
    cmp -s "$f" "$qib/Tessel/$(basename "$f")" || return 1
  done
}
