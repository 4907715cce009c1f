#!/usr/bin/env bash
# Checks the committed pictures and sounds: every file is there and listed in resources.qrc,
# sizes and formats are right (ImageMagick identify, sox), and the compiled resources load
# through the constants of resourcenames.h (tools/check). Prints "N passed, N failed".
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
res="$(cd "$here/.." && pwd)"
passed=0
failed=0
expect() { # expect CONDITION-RESULT MESSAGE
    if [[ $1 == 0 ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $2"
    fi
}

# identify from ImageMagick proper (a stand-in convert may shadow it on some machines).
IDENTIFY=identify
[[ -x /usr/bin/identify ]] && IDENTIFY=/usr/bin/identify

declare -A sizes=(
    [background]=64x64 [gamearea]=782x283 [team0]=110x102 [team1]=110x102 [team2]=110x102
    [team3]=110x102 [start]=90x30 [timerbar]=120x8 [entered]=12x17 [phrase]=25x19
    [soundbutton]=25x19 [log]=20x16 [save]=60x20 [hand]=12x17 [winner]=16x16 [speed]=16x16
    [about]=200x150 [icon]=64x64
)
for name in "${!sizes[@]}"; do
    want=${sizes[$name]}
    w=${want%x*} h=${want#*x}
    for variant in "$name.png:$want" "$name@2x.png:$((w * 2))x$((h * 2))"; do
        file=${variant%%:*} size=${variant#*:}
        got=$($IDENTIFY -format '%m %wx%h' "$res/pictures/$file" 2>/dev/null)
        [[ $got == "PNG $size" ]]
        expect $? "pictures/$file should be PNG $size, is '${got:-missing}'"
    done
done
got=$($IDENTIFY -format '%m %wx%h' "$res/pictures/lobby.jpg" 2>/dev/null)
[[ $got == "JPEG 400x339" ]]
expect $? "pictures/lobby.jpg should be JPEG 400x339, is '${got:-missing}'"

sounds=(ACRO0 ACRO1 ACRO2 ACRO3 BONUSROUND CATAGORY ENTERED LETSPLAY NONE NOWINNER POSTING
    SUBMIT TIME VOTE WAVE1 WAVE2 WAVE3 WAVE4 WAVE5 WAVE6 WAVE7 WAVE8 WAVE9 WAVE10 WAVE11 WAVE12
    WINNER WRONG)
total=0
for s in "${sounds[@]}"; do
    f="$res/sounds/$s.wav"
    if [[ ! -f $f ]]; then
        expect 1 "sounds/$s.wav is missing"
        continue
    fi
    fmt="$(soxi -t "$f") $(soxi -r "$f") $(soxi -c "$f") $(soxi -b "$f") $(soxi -e "$f")"
    [[ $fmt == "wav 22050 1 16 Signed Integer PCM" ]]
    expect $? "sounds/$s.wav should be 16-bit PCM mono 22050 Hz WAVE, is '$fmt'"
    dur=$(soxi -D "$f")
    awk -v d="$dur" 'BEGIN { exit !(d > 0.05 && d <= 2.5) }'
    expect $? "sounds/$s.wav lasts $dur s, should be up to 2.5 s"
    # Normalised: the loudest sample is within a few dB of full scale.
    peak=$(sox "$f" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }')
    awk -v p="$peak" 'BEGIN { exit !(p >= 0.45 && p <= 1.0) }'
    expect $? "sounds/$s.wav peaks at $peak, should be normalised"
    total=$((total + $(stat -c %s "$f")))
done
((total < 1500000))
expect $? "sounds take $total bytes, should stay under 1.5 MB"

# resources.qrc lists exactly the files there are.
listed=$(grep -o '>[^<]*</file>' "$res/resources.qrc" | sed 's/^>//; s/<\/file>$//' | sort)
present=$(cd "$res" && ls pictures/*.png pictures/*.jpg sounds/*.wav | sort)
[[ $listed == "$present" ]]
expect $? "resources.qrc does not list exactly the files in pictures/ and sounds/ (run make_qrc.py)"

# The compiled resources, through resourcenames.h.
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
if cmake -S "$here/check" -B "$build" -G Ninja >"$build/log" 2>&1 &&
    cmake --build "$build" >>"$build/log" 2>&1; then
    out=$(QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 "$build/rescheck" 2>&1)
    rc=$?
    echo "$out" | grep -v -e ' passed, ' -e XDG_RUNTIME_DIR || true
    p=$(echo "$out" | sed -n 's/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p')
    passed=$((passed + ${p%% *}))
    failed=$((failed + ${p##* }))
    ((rc == 0)) || [[ -n $p ]] || expect 1 "rescheck did not run"
else
    cat "$build/log"
    expect 1 "the resource check does not build"
fi

echo "$passed passed, $failed failed"
((failed == 0))
