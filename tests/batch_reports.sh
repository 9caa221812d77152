#!/usr/bin/env bash
# Reports and runs against hostile recordings, galaxies, full disks and stops.
set -u
. "$(dirname "$0")/batch_start.sh"

# Runs the batch in the background and sends it SIGNAL after SECONDS; $stopped is its status.
stop_after() {
  local seconds=$1 signal=$2
  shift 2
  "$BATCH" "$@" &
  local runner=$!
  sleep "$seconds"
  kill "-$signal" $runner
  wait $runner
  stopped=$?
}

# 8 bytes claiming 2^31-1 frames of no stars: nothing to show, in little memory.
printf '\0\0\0\0\377\377\377\177' > nostars.wrk
(ulimit -v 400000; "$BATCH" info nostars.wrk --frames > out.csv)
check '[ $? -eq 0 ] && [ "$(tail -n1 out.csv)" = "frame,cx,cy,cz,spread" ]' "a recording of no stars has no frame rows"
# A sparse 20 GB file is measured, not read.
truncate -s 20G sparse.wrk
printf '\1\0\0\0\5\0\0\0' | dd of=sparse.wrk conv=notrunc status=none
timeout 10 "$BATCH" info sparse.wrk > out.txt
check '[ $? -eq 0 ] && grep -qx "consistent: no" out.txt' "a sparse 20 GB recording is summed up at once"
rm -f sparse.wrk
printf '\101\015\003\0\0\0\0\0' > toomany.wrk
"$BATCH" info toomany.wrk > /dev/null 2> err.txt
check '[ $? -eq 2 ] && grep -q "200001 stars, more than the 200000" err.txt' "info names the star limit"

# Two stars at 1e308: their centre is 1e308, not an overflow.
huge='\240\310\353\205\363\314\341\177'
printf "\2\0\0\0\1\0\0\0$huge$huge$huge$huge$huge$huge" > huge.wrk
"$BATCH" info huge.wrk --frames > out.csv
check '[ "$(tail -n1 out.csv)" = "0,1e+308,1e+308,1e+308,0" ]' "centre and spread of huge positions"

"$BATCH" compose --out g.txt --stars 40 --seed 3 --recording-speed 1
"$BATCH" run g.txt --steps 4 --record r.wrk
"$BATCH" info r.wrk --frames > /dev/full 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ]' "a report onto a full disk fails"

# A galaxy that cannot run is refused, naming why, before anything is written.
sed '4s/^[^,]*,[^,]*/1,nan/' g.txt > nan.txt
sed '6s/,[^,]*\r$/,-inf\r/' g.txt > inf.txt
sed '1s/^[^,]*/200001/' g.txt > many.txt
for bad in "nan.txt:star 3 has x = nan" "inf.txt:star 5 has vz = -inf" "many.txt:200001 stars, more than the 200000"; do
  "$BATCH" run "${bad%%:*}" --steps 2 --record bad.wrk --diagnostics bad.csv 2> err.txt
  check '[ $? -eq 2 ] && grep -q "${bad#*:}" err.txt && [ ! -e bad.wrk ] && [ ! -e bad.csv ]' "${bad%%:*} is refused: ${bad#*:}"
done
"$BATCH" compose --out wide.txt --stars 20000 --scale 20000 --recording-speed 1 --seed 2
stop_after 0.5 INT run wide.txt --steps 4474 --record bad.wrk 2> err.txt
check '[ $stopped -eq 130 ] && grep -q "stop at 4473 of the 4474 frames" err.txt' "a recording past 2 GiB is told before the run"

# Stopped runs keep the diagnostics of the frames they keep.
"$BATCH" compose --out long.txt --stars 3000 --scale 3000 --recording-speed 1 --seed 9
stop_after 1.5 TERM run long.txt --steps 1000000 --record long.wrk --diagnostics long.csv 2> /dev/null
check '[ $stopped -eq 143 ]' "a termination request ends the run with 143"
frames=$("$BATCH" info long.wrk | sed -n 's/^frames in file: //p')
check '[ "$frames" -gt 0 ] && [ $(wc -l < long.csv) -eq $((frames + 2)) ]' "the CSV has step 0 and a row per frame kept"
# A stop during the first diagnostics row of a large galaxy leaves the old recording whole. The
# largest galaxy a file may hold, so the row takes seconds even on many fast cores.
"$BATCH" compose --out large.txt --stars 200000 --scale 40000 --seed 4
cp long.wrk old.wrk
stop_after 0.5 INT run large.txt --steps 5 --record old.wrk --diagnostics large.csv 2> /dev/null
check '[ $stopped -eq 130 ] && cmp -s long.wrk old.wrk && [ ! -e large.csv ]' "a stop before the first step keeps the old recording"

echo "batch reports: $failures failed"
[ $failures -eq 0 ]
