#!/usr/bin/env bash
# Drives selvane-batch from outside: compose, run with a recording, inspect it, bad input.
set -u
. "$(dirname "$0")/batch_start.sh"

"$BATCH" compose --out g1.txt --seed 1234 ; check '[ $? -eq 0 ]' "compose exits 0"
"$BATCH" compose --out g2.txt --seed $((1234 + 65536))
check 'cmp -s g1.txt g2.txt' "seed is taken modulo 65536"
check '[ "$(head -n1 g1.txt)" = "$(printf "128,20,5,30\r")" ]' "default header"
check '[ $(wc -l < g1.txt) -eq 129 ]' "one line per star"

"$BATCH" run g1.txt --steps 12 --record rec.wrk --save after.txt; check '[ $? -eq 0 ]' "run exits 0"
check '[ $(stat -c %s rec.wrk) -eq $((8 + 24 * 128 * 2)) ]' "12 steps at speed 5 give 2 frames"
"$BATCH" info rec.wrk > info.txt
check 'grep -qx "stars: 128" info.txt && grep -qx "frames in header: 2" info.txt && grep -qx "consistent: yes" info.txt' "info"
check '! cmp -s g1.txt after.txt' "the galaxy moved"

# A run split in two gives the same galaxy as one run of the sum (the step counter only decides frames).
"$BATCH" run g1.txt --steps 7 --record a.wrk --save half.txt
"$BATCH" run half.txt --steps 5 --record b.wrk --save whole.txt
check 'cmp -s after.txt whole.txt' "save and reload keep every bit"

"$BATCH" run g1.txt --steps 0 --record empty.wrk
check '[ $(stat -c %s empty.wrk) -eq 8 ]' "no steps leave the bare header"

for bad in "frobnicate" "compose" "compose --out" "compose --out x --seed -1" "run g1.txt" \
           "run g1.txt --steps ten" "run missing.txt --steps 1" "info missing.wrk" "compose --out x --bogus 1"; do
  # shellcheck disable=SC2086
  "$BATCH" $bad > /dev/null 2> err.txt
  status=$?
  check '[ $status -eq 2 ] && [ $(wc -l < err.txt) -ge 1 ]' "bad arguments '$bad' exit 2 with a message"
done
check '[ ! -e x ]' "no partial output after bad arguments"

for help in --help -h; do
  "$BATCH" $help > out.txt 2> err.txt
  check '[ $? -eq 0 ] && grep -q "^usage: selvane-batch compose" out.txt && [ ! -s err.txt ]' "$help prints the usage"
done
"$BATCH" > /dev/null 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && grep -q "no command.*--help" err.txt' "no arguments: one line"
"$BATCH" frobnicate > /dev/null 2> err.txt
check '[ $(wc -l < err.txt) -eq 1 ] && grep -q "frobnicate" err.txt' "unknown command: one line naming it"
"$BATCH" compose --out=eq.txt --seed=1234 && cmp -s eq.txt g1.txt
check '[ $? -eq 0 ]' "--name=value works as --name value"
"$BATCH" compose --out x --sede 3 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && grep -q "did you mean --seed" err.txt' "a mistyped option is named with its likely meaning"
"$BATCH" run --help > out.txt 2> err.txt
check '[ $? -eq 0 ] && grep -q -- "--record FILE .*default Recorder.wrk" out.txt && [ ! -s err.txt ]' "run --help shows its options and defaults"
"$BATCH" --version > out.txt
check '[ $? -eq 0 ] && grep -Eq "^selvane-batch [0-9]+\.[0-9]+\.[0-9]+ \(commit [0-9a-f]+" out.txt' "--version names the version and the commit"
"$BATCH" compose --out --seed 5 2> err.txt
check '[ $? -eq 2 ] && [ ! -e ./--seed ] && grep -q -- "--out needs a value" err.txt' "an option is no option's value"

# Targets are checked before the recording is created; the galaxy is never recorded over.
cp g1.txt g1.keep
printf 'old recording' > keep.wrk
"$BATCH" run g1.txt --steps 12 --record ./g1.txt 2> /dev/null
check '[ $? -eq 2 ] && cmp -s g1.txt g1.keep' "--record naming the galaxy is refused"
# The save's own refusals count before the run: a second name (hard link), a link into no folder.
printf 'other' > linked.txt
ln linked.txt linked-too.txt
ln -s nodir/x.txt dangling.txt
for save in nodir/x.txt . g1.txt/x.txt linked.txt dangling.txt; do
  "$BATCH" run g1.txt --steps 12 --record keep.wrk --save "$save" 2> /dev/null
  check '[ $? -eq 2 ] && [ "$(cat keep.wrk)" = "old recording" ]' "--save $save refused before the run"
done
"$BATCH" run g1.txt --steps 12 --record new.wrk --save ./new.wrk 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e new.wrk ]' "--save naming the recording is refused"
"$BATCH" run g1.txt --steps 12 --record g1.txt/rec.wrk 2> /dev/null
check '[ $? -eq 2 ]' "--record into a file's path is refused"
# A recording is written in place, not replaced: a file with a second name is no reason to refuse it.
"$BATCH" run g1.txt --steps 12 --record linked.txt
check '[ $? -eq 0 ] && cmp -s linked.txt linked-too.txt && [ $(stat -c %s linked-too.txt) -eq $((8 + 24 * 128 * 2)) ]' \
  "--record onto a hard-linked file writes it for both names"

# A recording whose writes fail (a 20 KiB file size limit) is reported and cut back to whole frames.
( ulimit -f 20; trap '' XFSZ; exec "$BATCH" run g1.txt --steps 60 --record full.wrk --save full-end.txt ) 2> err.txt
status=$?
"$BATCH" info full.wrk > info.txt
check '[ $status -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && grep -q "keeps 6 of 12 frames" err.txt' "failed recording exits 2"
check 'grep -qx "frames in header: 6" info.txt && grep -qx "consistent: yes" info.txt' "cut-short recording stays consistent"
"$BATCH" run g1.txt --steps 60 --record whole.wrk --save whole-end.txt
check 'cmp -s full-end.txt whole-end.txt' "the galaxy is saved although recording failed"

# A large galaxy: 20000 stars composed, run two steps with a frame each, and saved; a few
# seconds at most, with the sanitizers too (the vector step is no slower under them).
"$BATCH" compose --out big.txt --stars 20000 --scale 20000 --recording-speed 1 --seed 7
check '[ $? -eq 0 ] && [ "$(head -n1 big.txt)" = "$(printf "20000,20,1,30\r")" ] && [ $(wc -l < big.txt) -eq 20001 ]' \
  "20000 stars composed"
"$BATCH" run big.txt --steps 2 --record big.wrk --save big-after.txt 2> /dev/null
check '[ $? -eq 0 ]' "20000-star run exits 0"
"$BATCH" info big.wrk > info.txt
check 'grep -qx "stars: 20000" info.txt && grep -qx "frames in header: 2" info.txt && grep -qx "consistent: yes" info.txt' \
  "20000-star recording header"
check '[ $(stat -c %s big.wrk) -eq $((8 + 24 * 20000 * 2)) ]' "20000-star recording length matches its header"
check '[ "$(head -n1 big-after.txt)" = "$(head -n1 big.txt)" ] && [ $(wc -l < big-after.txt) -eq 20001 ] && ! cmp -s big.txt big-after.txt' \
  "20000-star galaxy saved after the run"

"$BATCH" compose --out zero.txt --size-of-star 0 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e zero.txt ]' "Size of Star 0 writes no file"
"$BATCH" compose --out huge.txt --stars 2000000000 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && [ ! -e huge.txt ]' "too many stars: one line, no file"
printf '5,20,5,30\r\n1,2,3\r\n' > damaged.txt
"$BATCH" run damaged.txt --steps 3 --record d.wrk 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e d.wrk ]' "damaged galaxy is refused before any recording"

"$BATCH" compose --out few.txt --stars 3 --seed 5
for header in '3,0,5,30' '3,-2,5,30' '3,nan,5,30' '3,20,0,30' '3,20,-1,30'; do
  sed "1s/.*/$header\r/" few.txt > cannot.txt
  "$BATCH" run cannot.txt --steps 3 --record c.wrk 2> err.txt
  check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && [ ! -e c.wrk ]' "a galaxy with header $header is refused before its run"
done

# Ctrl+C ends a long run after its step in flight with a whole recording; a second run into
# the same recording meanwhile is refused and destroys nothing.
"$BATCH" compose --out long.txt --stars 3000 --scale 3000 --recording-speed 1 --seed 9
"$BATCH" run long.txt --steps 1000000 --record long.wrk --save long-end.txt 2> /dev/null &
runner=$!
sleep 1.5
"$BATCH" run long.txt --steps 2 --record long.wrk 2> err.txt
check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ]' "a second writer of one recording is refused before its run"
# Nor does any other writer replace it: a galaxy, an end state or energies saved onto it.
for writer in "compose --out long.wrk" "run g1.txt --steps 2 --record o.wrk --save long.wrk" \
              "run g1.txt --steps 2 --record o.wrk --diagnostics long.wrk"; do
  # shellcheck disable=SC2086
  "$BATCH" $writer 2> err.txt
  check '[ $? -eq 2 ] && grep -q "being recorded or replayed by another program" err.txt' "$writer is refused"
done
kill -INT $runner
wait $runner
check '[ $? -eq 130 ]' "Ctrl+C ends the run with status 130"
"$BATCH" info long.wrk > info.txt
check 'grep -qx "consistent: yes" info.txt && ! grep -qx "frames in header: 0" info.txt' "the stopped run leaves a whole recording"
check '[ ! -e long-end.txt ] && [ -z "$(ls -a | grep "^\.sv")" ]' "a stopped run leaves no save and no temporary file"

echo "batch end-to-end: $failures failed"
[ $failures -eq 0 ]
