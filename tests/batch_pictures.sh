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

# info --frames: two still stars, (1,2,3) and (3,2,-1), are centred on (2,2,1), each sqrt(5) from it.
printf '2,20,1,30\r\n0,1,2,3,0,0,0\r\n0,3,2,-1,0,0,0\r\n' > two.txt
"$BATCH" run two.txt --steps 2 --record two.wrk
"$BATCH" info two.wrk --frames > frames.txt
check '[ $? -eq 0 ] && [ "$(tail -n 3 frames.txt | tr "\n" " ")" = "frame,cx,cy,cz,spread 0,2,2,1,2.23606797749979 1,2,2,1,2.23606797749979 " ]' \
  "info --frames gives each frame's centre and spread"
"$BATCH" info rec.wrk --frames > frames.txt
check '[ $(grep -c "^[0-9]*,.*,.*,.*," frames.txt) -eq 7 ]' "a row for every frame"

echo "batch pictures: $failures failed"
[ $failures -eq 0 ]
