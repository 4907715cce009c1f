#!/usr/bin/env bash
# Makes every game sound in resources/sounds: speech from espeak-ng, effects from synth.py,
# mixed, trimmed, given a little room and normalised by sox. Every result is 22050 Hz, mono,
# 16-bit PCM. Needs: espeak-ng, sox, python3.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/../sounds"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

python3 "$here/synth.py" "$work"

# Repeatable mode: sox seeds its dither the same way each run, so regenerating leaves the
# committed files unchanged.
sox() { command sox -R "$@"; }

# One cheerful announcer voice for the game's own cues, a second for players' chatter.
VOICE="en-us+f3"
CHATTER="en-us+f4"
FMT=(-r 22050 -c 1 -b 16 -e signed-integer)

# speak FILE VOICE SPEED PITCH TEXT: speech with the silence around it trimmed.
speak() {
    local file=$1 voice=$2 speed=$3 pitch=$4 text=$5
    espeak-ng -v "$voice" -s "$speed" -p "$pitch" -a 160 -w "$work/raw.wav" "$text"
    sox "$work/raw.wav" "$file" silence 1 0.01 0.2% reverse silence 1 0.01 0.2% reverse
}

# mix FILE PART@SECONDS[:GAIN] ...: lays the parts over each other, each starting at its time.
mix() {
    local file=$1
    shift
    local args=() k=0 item part rest at gain
    for item in "$@"; do
        part=${item%@*}
        rest=${item#*@}
        at=${rest%%:*}
        gain=1
        [[ $rest == *:* ]] && gain=${rest#*:}
        sox "$part" "${FMT[@]}" "$work/mix$k.wav" pad "$at" 0 vol "$gain"
        args+=(-v 0.7 "$work/mix$k.wav")
        k=$((k + 1))
    done
    if ((k == 1)); then
        cp "$work/mix0.wav" "$file"
    else
        sox -m "${args[@]}" "$file"
    fi
}

# finish NAME SOURCE LEVEL ROOM: final format, a touch of reverb (ROOM 0 = dry), a short
# fade at both ends against clicks, peak normalised to LEVEL dBFS.
finish() {
    local name=$1 src=$2 level=$3 room=$4
    local fx=(gain -6 highpass 70)
    if ((room > 0)); then
        fx+=(pad 0 0.25 reverb "$room" 50 60 100 0 0 reverse silence 1 0.005 0.3% reverse)
    fi
    # Two passes: the fade needs to know the length, which the silence trim leaves open.
    sox "$src" "${FMT[@]}" "$work/fin.wav" "${fx[@]}"
    sox "$work/fin.wav" "${FMT[@]}" "$out/$name.wav" fade t 0.003 -0 0.03 norm "$level"
}

fx() { echo "$work/fx_$1.wav"; }

# --- Round cues -------------------------------------------------------------------------
# A tick for the last seconds of the answer countdown: short, because a new sound cuts off the
# one still playing and the ticks come once a second.
finish TIME "$(fx tick)" -3 0

# One of the four ACRO cues greets the letters of each round.
speak "$work/s.wav" "$VOICE" 170 60 "Make an acro!"
mix "$work/m.wav" "$(fx arpup)"@0:0.7 "$work/s.wav"@0.22
finish ACRO0 "$work/m.wav" -1 25

speak "$work/s.wav" "$VOICE" 185 70 "Ready, set, go!"
mix "$work/m.wav" "$work/s.wav"@0 "$(fx ding)"@0.85:0.5
finish ACRO1 "$work/m.wav" -1 25

speak "$work/s.wav" "$VOICE" 175 62 "Get typing!"
mix "$work/m.wav" "$(fx arpup2)"@0:0.6 "$work/s.wav"@0.2
finish ACRO2 "$work/m.wav" -1 25

speak "$work/s.wav" "$VOICE" 170 58 "Here are the letters!"
mix "$work/m.wav" "$(fx sparkle)"@0:0.5 "$work/s.wav"@0.15
finish ACRO3 "$work/m.wav" -1 25

speak "$work/s.wav" "$VOICE" 165 60 "Choose a category!"
mix "$work/m.wav" "$(fx ding)"@0:0.6 "$work/s.wav"@0.18
finish CATAGORY "$work/m.wav" -1 25

finish SUBMIT "$(fx submit)" -3 20
finish WRONG "$(fx buzz)" -6 0

speak "$work/s.wav" "$VOICE" 165 62 "Time to vote!"
mix "$work/m.wav" "$(fx arpdown)"@0:0.6 "$work/s.wav"@0.25
finish VOTE "$work/m.wav" -1 25

# Results.
finish POSTING "$(fx sparkle)" -3 30
finish WINNER "$(fx fanfare)" -2 35

speak "$work/s.wav" "$VOICE" 160 50 "No answers."
mix "$work/m.wav" "$(fx trombone)"@0:0.8 "$work/s.wav"@1.1
finish NONE "$work/m.wav" -1 20

speak "$work/s.wav" "$VOICE" 160 45 "No winner."
mix "$work/m.wav" "$(fx arpdown)"@0:0.6 "$work/s.wav"@0.3
finish NOWINNER "$work/m.wav" -1 25

speak "$work/s.wav" "$VOICE" 165 68 "Bonus round!"
mix "$work/m.wav" "$(fx fanfare)"@0:0.75 "$work/s.wav"@1.0
finish BONUSROUND "$work/m.wav" -1 30

speak "$work/s.wav" "$VOICE" 170 70 "Let's play!"
mix "$work/m.wav" "$(fx arpup)"@0:0.6 "$work/s.wav"@0.3
finish LETSPLAY "$work/m.wav" -1 30

# Someone came in: a door chime.
finish ENTERED "$(fx dingdong)" -3 30

# --- Chatter sounds, in the order of the sound menu --------------------------------------
speak "$work/s.wav" "$CHATTER" 150 35 "Doh!"
finish WAVE1 "$work/s.wav" -1 15

finish WAVE2 "$(fx cough)" -2 15

speak "$work/s.wav" "$CHATTER" 160 65 "Hello!"
finish WAVE3 "$work/s.wav" -1 15

speak "$work/s.wav" "$CHATTER" 160 60 "Thank you!"
finish WAVE4 "$work/s.wav" -1 15

speak "$work/s.wav" "$CHATTER" 165 55 "Where have you been?"
finish WAVE5 "$work/s.wav" -1 15

finish WAVE6 "$(fx snore)" -3 10

speak "$work/a1.wav" "$CHATTER" 120 55 "ah"
speak "$work/a2.wav" "$CHATTER" 120 80 "ahh"
speak "$work/a3.wav" "$CHATTER" 200 70 "choo"
mix "$work/m.wav" "$work/a1.wav"@0 "$work/a2.wav"@0.45 "$work/a3.wav"@1.0:0.8 "$(fx sneeze)"@1.0:0.9
finish WAVE7 "$work/m.wav" -1 15

speak "$work/s.wav" "$CHATTER" 140 40 "Sorry!"
finish WAVE8 "$work/s.wav" -1 15

speak "$work/s.wav" "$CHATTER" 155 60 "Welcome!"
finish WAVE9 "$work/s.wav" -1 15

speak "$work/s.wav" "$CHATTER" 170 85 "[[ji:h'A::]]"
finish WAVE10 "$work/s.wav" -1 20

speak "$work/s.wav" "$CHATTER" 170 85 "Yippee!"
finish WAVE11 "$work/s.wav" -1 20

speak "$work/s.wav" "$CHATTER" 140 50 "Oh no!"
finish WAVE12 "$work/s.wav" -1 15

echo "sounds written to $(cd "$out" && pwd)"
