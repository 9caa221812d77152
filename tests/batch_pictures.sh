#!/usr/bin/env bash
# selvane-batch render and run --diagnostics from outside: pictures, a video, the CSV, the
# drift plot, and bad input that must leave nothing behind.
set -u
: "${BATCH:?path of selvane-batch}"
plot=$(cd "$(dirname "$0")/.." && pwd)/tools/plot-diagnostics
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failures=$((failures + 1)); fi; }
size() { identify -format '%wx%h' "$1" 2>/dev/null; }
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "file:$1"; }

"$BATCH" compose --out g.txt --seed 321 --stars 60 --recording-speed 4
"$BATCH" run g.txt --steps 30 --record plain.wrk
"$BATCH" run g.txt --steps 30 --record rec.wrk --diagnostics d.csv
check '[ $? -eq 0 ] && cmp -s plain.wrk rec.wrk' "the recording is the same bytes with --diagnostics"
check '[ "$(head -n 1 d.csv)" = "step,kinetic,potential,total,drift,px,py,pz,lx,ly,lz" ]' "diagnostics header"
check '[ "$(cut -d, -f1 d.csv | tail -n +2 | tr "\n" " ")" = "0 4 8 12 16 20 24 28 " ]' "a row for step 0 and each recorded step"
check '[ "$(sed -n 2p d.csv | cut -d, -f5)" = 0 ] && awk -F, "NR > 1 && \$4 != \$2 + \$3 { bad = 1 } END { exit bad }" d.csv' \
  "drift starts at 0; total is kinetic plus potential"
"$plot" d.csv drift.png
check '[ $? -eq 0 ] && [ "$(size drift.png)" = 1000x750 ]' "plot-diagnostics draws the drift plot"

"$BATCH" render rec.wrk --out pics
check '[ $? -eq 0 ] && [ "$(ls pics | tr "\n" " ")" = "$(printf "frame-%06d.png " 0 1 2 3 4 5 6)" ]' "one picture a frame"
check '[ "$(size pics/frame-000006.png)" = 470x376 ] && [ "$(identify -format %k pics/frame-000006.png)" = 2 ]' \
  "470 x 376 pictures in black and white"
"$BATCH" render rec.wrk --out turned --from 2 --to 3 --camera '--^^+x' --turn '>>'
check '[ $? -eq 0 ] && [ "$(ls turned | tr "\n" " ")" = "frame-000002.png frame-000003.png " ] &&
       ! cmp -s turned/frame-000002.png pics/frame-000002.png' "--from, --to and --camera choose frames and view"
"$BATCH" render rec.wrk --out film.mp4 --turn '<' --fps 12
check '[ $? -eq 0 ] && [ "$(ffprobe -v error -count_frames -select_streams v:0 -show_entries \
       stream=codec_name,width,height,nb_read_frames -of csv=p=0 film.mp4)" = "h264,470,376,7" ]' "a video of 7 frames"

head -c 3000 rec.wrk > cut.wrk
touch file
for bad in "missing.wrk --out x" "cut.wrk --out x" "rec.wrk --out file/x" "rec.wrk --out x --camera <y" \
           "rec.wrk --out x --from 5 --to 4" "rec.wrk --out x --to 7" "rec.wrk --out x.mp4 --fps 0"; do
  # shellcheck disable=SC2086
  "$BATCH" render $bad > /dev/null 2> err.txt
  status=$?
  check '[ $status -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && [ ! -e x ] && [ ! -e x.mp4 ]' "render $bad: one line, status 2, nothing written"
done
PATH=/nonexistent "$BATCH" render rec.wrk --out x.mp4 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && grep -q ffmpeg err.txt && [ ! -e x.mp4 ] && [ ! -e x.mp4.part ]' \
  "without ffmpeg no video: one line, status 2"
"$BATCH" run g.txt --steps 3 --record r3.wrk --diagnostics g.txt 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e r3.wrk ]' "--diagnostics naming the galaxy is refused before the run"
ln -s r3.wrk d3.csv
"$BATCH" run g.txt --steps 3 --record r3.wrk --diagnostics d3.csv 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e r3.wrk ] && [ -L d3.csv ]' "--diagnostics through a link to the recording not made yet is refused"

# info --frames: two still stars, (1,2,3) and (3,2,-1), are centred on (2,2,1), each sqrt(5) from it.
printf '2,20,1,30\r\n0,1,2,3,0,0,0\r\n0,3,2,-1,0,0,0\r\n' > two.txt
"$BATCH" run two.txt --steps 2 --record two.wrk
"$BATCH" info two.wrk --frames > frames.txt
check '[ $? -eq 0 ] && [ "$(tail -n 3 frames.txt | tr "\n" " ")" = "frame,cx,cy,cz,spread 0,2,2,1,2.23606797749979 1,2,2,1,2.23606797749979 " ]' \
  "info --frames gives each frame's centre and spread"
"$BATCH" info rec.wrk --frames > frames.txt
check '[ $(grep -c "^[0-9]*,.*,.*,.*," frames.txt) -eq 7 ]' "a row for every frame"

# What stands at a target's name. A listing of every name with its kind, size and sum.
snapshot() { find "$@" ! -name err.txt -printf '%p %y %s %l\n' | sort; find "$@" -type f ! -name err.txt -exec cksum {} + | sort; }
printf '\0\0\0\0\377\377\377\177' > nostars.wrk  # no stars, 2^31-1 frames
mkdir self linked fifo readonly keep
cp rec.wrk self/frame-000000.png
ln -s ../rec.wrk linked/frame-000003.png
mkfifo fifo/frame-000001.png
echo mine > readonly/frame-000002.png && chmod 444 readonly/frame-000002.png
echo mine > keep/frame-000000.png && echo notes > keep/notes.txt && mkdir keep/frame-000002.png
cp rec.wrk rec.mp4 && ln -s rec.wrk link-to-rec.mp4 && echo mine > readonly.mp4 && chmod 444 readonly.mp4
before=$(snapshot .)
for bad in "self/frame-000000.png --out self" "rec.wrk --out linked" "rec.wrk --out fifo" "rec.wrk --out readonly" \
           "rec.wrk --out keep" "rec.mp4 --out rec.mp4" "rec.wrk --out link-to-rec.mp4" "rec.wrk --out readonly.mp4" \
           "nostars.wrk --out x"; do
  # shellcheck disable=SC2086
  timeout 20 "$BATCH" render $bad > /dev/null 2> err.txt
  status=$?
  check '[ $status -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && [ "$(snapshot .)" = "$before" ]' \
    "render $bad: refused before any picture, nothing changed"
done

# A disk that fills at frame 2 (a file-size limit): the folder keeps the user's files, frame 0
# replaced as a save replaces; the picture made where nothing stood goes again, and so does a
# folder the run made.
awk 'BEGIN { n = 2000; printf "%d,20,1,30\r\n", n
             for (i = 0; i < n; i++) { a = i * 2.39996; r = (i % 97) / 97
               printf "0.001,%g,0,0,%g,%g,%g\r\n", i * 0.0001, 100 * r * cos(a), 100 * r * sin(a), 100 * ((i % 89) / 89 - 0.5) } }' > burst.txt
"$BATCH" run burst.txt --steps 4 --record burst.wrk
rm -r keep/frame-000002.png
(trap '' XFSZ; ulimit -f 8; "$BATCH" render burst.wrk --out keep 2> err.txt; echo $? > status.txt)
check '[ "$(cat status.txt)" = 2 ] && grep -q frame-000002.png err.txt && [ "$(ls -A keep | tr "\n" " ")" = "frame-000000.png notes.txt " ] &&
       [ "$(identify -format %wx%h keep/frame-000000.png)" = 470x376 ] && [ "$(cat keep/notes.txt)" = notes ]' \
  "a render cut by a full disk keeps the folder's files and takes away only its own"
(trap '' XFSZ; ulimit -f 8; "$BATCH" render burst.wrk --out made/here 2> /dev/null)
check '[ ! -e made ]' "a render cut by a full disk takes away the folders it made"

# Videos through a link and beside a file of the user's named like a temporary; names that
# ffmpeg would read as options or protocols; a file named ffmpeg that is no program.
mkdir -p -- -y 'pipe:1' notprogram
echo mine > real.mp4.part && ln -s real.mp4 link.mp4 && printf 'echo not run\n' > notprogram/ffmpeg
PATH="$dir/notprogram:$PATH" "$BATCH" render rec.wrk --out link.mp4
check '[ $? -eq 0 ] && [ -L link.mp4 ] && [ "$(cat real.mp4.part)" = mine ] && [ "$(frames real.mp4)" = 7 ]' \
  "a video through a link keeps the link, the user's .part file and skips an ffmpeg that is no program"
for name in '-y/-x.mp4' 'pipe:1/take:1.mp4' '-take:2.mp4'; do
  "$BATCH" render rec.wrk --out "$name"
  check '[ $? -eq 0 ] && [ "$(frames "./$name")" = 7 ] && [ -z "$(find . -name ".sv*")" ]' "a video named $name"
done

# Stops and an ffmpeg that hangs: nothing half made is left.
"$BATCH" run g.txt --steps 3000 --record long.wrk
"$BATCH" render long.wrk --out stopped 2> err.txt &
pid=$!
while [ ! -e stopped/frame-000005.png ] && kill -0 $pid 2> /dev/null; do sleep 0.02; done
kill -INT $pid
wait $pid
check '[ $? -eq 130 ] && [ -z "$(find stopped -size 0 -o -name ".sv*")" ] && [ $(ls stopped | wc -l) -lt 750 ] &&
       identify stopped/* > /dev/null' "Ctrl+C during pictures: exit 130, the pictures made are whole"
"$BATCH" render long.wrk --out stopped.mp4 2> err.txt &
pid=$!
while [ -z "$(find . -maxdepth 1 -name ".sv*" -size +0)" ] && kill -0 $pid 2> /dev/null; do sleep 0.02; done
kill -TERM $pid
wait $pid
check '[ $? -eq 143 ] && [ ! -e stopped.mp4 ] && [ -z "$(find . -name ".sv*")" ]' "a termination request during a video leaves none"
mkdir hang && printf '#!/bin/sh\necho $$ > "%s/hang.pid"\nexec sleep 600\n' "$dir" > hang/ffmpeg && chmod +x hang/ffmpeg
SELVANE_FFMPEG_TIMEOUT=1 PATH="$dir/hang:$PATH" timeout 20 "$BATCH" render rec.wrk --out hung.mp4 2> err.txt
check '[ $? -eq 2 ] && grep -q "gave up" err.txt && [ ! -e hung.mp4 ] && [ -z "$(find . -name ".sv*")" ] &&
       ! kill -0 "$(cat hang.pid)" 2> /dev/null' "an ffmpeg that takes nothing is given up on and ended"

# The glow look: a full-size video has a picture a frame; the same options give the same bytes;
# a star behind the camera leaves the sky black.
"$BATCH" render rec.wrk --out glow.mp4 --look glow --galaxy g.txt --color mass
check '[ $? -eq 0 ] && [ "$(ffprobe -v error -count_frames -select_streams v:0 -show_entries \
       stream=width,height,nb_read_frames -of csv=p=0 glow.mp4)" = "1920,1080,7" ]' "a 1920 x 1080 glow video of 7 frames"
"$BATCH" render rec.wrk --out glow1 --look glow --size 640x360 --from 3 --to 3 --turn '>' &&
"$BATCH" render rec.wrk --out glow2 --look glow --size 640x360 --from 2 --to 3 --turn '>'
check '[ $? -eq 0 ] && [ "$(size glow1/frame-000003.png)" = 640x360 ] && ! cmp -s glow1/frame-000003.png glow2/frame-000003.png &&
       "$BATCH" render rec.wrk --out glow3 --look glow --size 640x360 --from 2 --to 3 --turn ">" && cmp -s glow2/frame-000003.png glow3/frame-000003.png' \
  "glow pictures: their size, the same bytes again, the camera's turns per frame"
printf '\1\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\100\237\300' > behind.wrk
"$BATCH" render behind.wrk --out behind --look glow --size 64x48
check '[ $? -eq 0 ] && [ "$(identify -format "%[max]" behind/frame-000000.png)" = 0 ]' "a star behind the camera draws nothing"
"$BATCH" render rec.wrk --out x --size 640x360 2> err.txt
check '[ $? -eq 2 ] && grep -q -- "--size is for --look glow" err.txt && [ ! -e x ]' "glow options need the glow look"

echo "batch pictures: $failures failed"
[ $failures -eq 0 ]
