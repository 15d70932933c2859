#!/usr/bin/env bash
# The talent screen on a second monitor: chosen from the menu, it shows the
# band's reading-line row at its own reading line, larger, mirrored left to
# right; the band's own mirror comes back after a restart; the talent monitor
# switched off and on while the band scrolls closes and reopens its window.
program=$1
source "$(dirname "$0")/../e2e/lib.sh"
OCR="$(dirname "$0")/ocrline.py"
TALENT_X=1920 TALENT_W=1920 TALENT_H=1080 READING=360
# The whole of the band's page up to its scroll bar: the mirror flips about its middle.
VIEW_W=1766
view_shot() { shot $PAGE_X "$BAND_Y" $VIEW_W $PAGE_H; }
view_settle() { settle $PAGE_X "$BAND_Y" $VIEW_W $PAGE_H "${1:-10}"; }

talent_shot() { shot $TALENT_X 0 $TALENT_W $TALENT_H; }
talent_settle() { settle $TALENT_X 0 $TALENT_W $TALENT_H "${1:-10}"; }
# alike A B: the pictures differ in at most a few smoothed glyph edges.
alike() {
    local differing
    differing=$(compare -metric AE -fuzz 40% "$1" "$2" null: 2>&1 || true)
    [ "${differing%%.*}" -lt 200 ] 2> /dev/null
}
# row_number TEXT: the number after "Row" in an OCR line.
row_number() { sed -n 's/.*Row \([0-9]*\).*/\1/p' <<< "$1"; }

script="$WORK/rows.txt"
for i in $(seq 1 80); do echo "Row $i of the news"; done > "$script"

start_program
has_window 'Tavrix Talent' && fail "a talent window opened before one was chosen"
show_script "$script" > /dev/null

# Talent Screen (the tenth item) > DUMMY1, the only screen besides the band's.
menu Down Down Down Down Down Down Down Down Down Down Right Return
TALENT=$(wait_window 'Tavrix Talent')
geometry "$TALENT"
[ "$GX,$GY,$GW,$GH" = "1920,0,1920,1080" ] || fail "talent window at $GX,$GY ${GW}x$GH, not on DUMMY1"
# A window of its own: minimising the band must not take it along.
xprop -id "$TALENT" WM_TRANSIENT_FOR | grep -q 'not found' ||
    fail "the talent window is the band's transient: $(xprop -id "$TALENT" WM_TRANSIENT_FOR)"
keys Down Down
band=$(view_settle)
talent=$(talent_settle)

# The band's row at its reading line (a third down its page) is the talent's row at its own.
convert "$band" -resize 200% "$WORK/band-ocr.png"
band_line=$(python3 "$OCR" "$WORK/band-ocr.png" $((PAGE_H * 2 / 3)))
convert "$talent" -flop "$WORK/talent-flopped.png"
talent_line=$(python3 "$OCR" "$WORK/talent-flopped.png" $READING)
band_row=$(row_number "$band_line")
talent_row=$(row_number "$talent_line")
[ -n "$band_row" ] || fail "no row read on the band: '$band_line'"
[ "$band_row" = "$talent_row" ] || fail "band reads '$band_line', talent reads '$talent_line'"
band_height=$((${band_line##* } / 2)) # read at twice its size
talent_height=${talent_line##* }
[ "$talent_height" -gt $((band_height * 2)) ] ||
    fail "talent text ${talent_height}px high is not twice the band's ${band_height}px"
# Mirrored by default: unflipped, the talent's text does not read.
unflipped=$(python3 "$OCR" "$talent" $READING)
[ -z "$(row_number "$unflipped")" ] || fail "the talent screen is not mirrored: '$unflipped'"

# Its left-to-right flag off (third item of the submenu): the picture is the mirror image of before.
menu Down Down Down Down Down Down Down Down Down Down Right Down Down Return
plain=$(talent_settle)
alike "$plain" "$WORK/talent-flopped.png" || fail "the talent's mirror image differs from its plain picture"

# The band's own mirror, Mirror Left to Right (the eighth item).
menu Down Down Down Down Down Down Down Down Return
mirrored=$(view_settle)
convert "$band" -flop "$WORK/band-flopped.png"
alike "$mirrored" "$WORK/band-flopped.png" || fail "the band's page is not drawn mirrored"
stop_program
grep -q '"MirrorLeftToRight"=dword:00000001' "$STORE" || { cat "$STORE"; fail "band mirror not stored"; }
grep -q '"TalentScreen"="DUMMY1"' "$STORE" || { cat "$STORE"; fail "talent screen not stored"; }
grep -q '"TalentMirror(DUMMY1)"=dword:00000000' "$STORE" || { cat "$STORE"; fail "talent flags not stored"; }

# Restarted: both come back, the talent window on its screen at once.
start_program
wait_window 'Tavrix Talent' > /dev/null
show_script "$script" > /dev/null
keys Down Down
again=$(view_settle)
alike "$again" "$mirrored" || fail "the band's mirror did not come back"

# The talent monitor unplugged and plugged in again while the band scrolls.
keys w w w w w
moving=$(page_shot)
xrandr --output DUMMY1 --off
wait_no_window 'Tavrix Talent'
alive
page_changed_from "$moving" > /dev/null || fail "the band stopped scrolling"
xrandr --output DUMMY1 --mode 1920x1080_60 --pos 1920x0
TALENT=$(wait_window 'Tavrix Talent')
geometry "$TALENT"
[ "$GX,$GW,$GH" = "1920,1920,1080" ] || fail "the talent window came back at $GX ${GW}x$GH"
talent_shot > /dev/null
alive
stop_program
echo "talent screen followed the band, mirrored, and survived its monitor going and coming back"
