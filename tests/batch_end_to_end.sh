#!/usr/bin/env bash
# Drives selvane-batch from outside: compose, run with a recording, inspect it, bad input.
set -u
: "${BATCH:?path of selvane-batch}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failures=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failures=$((failures + 1)); fi; }

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

"$BATCH" compose --out zero.txt --size-of-star 0 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e zero.txt ]' "Size of Star 0 writes no file"
printf '5,20,5,30\r\n1,2,3\r\n' > damaged.txt
"$BATCH" run damaged.txt --steps 3 --record d.wrk 2> /dev/null
check '[ $? -eq 2 ] && [ ! -e d.wrk ]' "damaged galaxy is refused before any recording"

echo "batch end-to-end: $failures failed"
[ $failures -eq 0 ]
