#!/usr/bin/env bash
# The native and the Windows batch runner must compose the same galaxy and record the same
# run, with the same energy report, byte for byte, from the same seed. Skipped (77) when the native runner is not built.
set -u
native=$1; windows=$2; emulator=$3
[ -x "$native" ] || { echo "native runner not built: $native"; exit 77; }
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
agree() {
  local name=$1 steps=$2; shift 2
  "$native" compose --out n.txt "$@" &&
  "$native" run n.txt --steps "$steps" --record n.wrk --save n-end.txt --diagnostics n.csv || { echo "native $name run failed"; exit 1; }
  "$emulator" "$windows" compose --out w.txt "$@" &&
  "$emulator" "$windows" run w.txt --steps "$steps" --record w.wrk --save w-end.txt --diagnostics w.csv || { echo "windows $name run failed"; exit 1; }
  for f in .txt .wrk -end.txt .csv; do
    cmp -s "n$f" "w$f" || { echo "$name galaxy: n$f and w$f differ"; failed=1; }
  done
}
# Galaxies from three seeds; a dense one, where many pairs are close enough for exp to change
# the pull, so an exp that differs in a single argument soon shows; and one large enough to be
# summed on every core.
for seed in 0 777 65535; do agree "seed $seed" 150 --seed $seed --stars 96; done
agree dense 300 --seed 4242 --stars 96 --scale 30 --size-of-star 2
agree threaded 20 --seed 99 --stars 1000 --scale 300 --size-of-star 4
# A collision, its export and its glow pictures: the turn's sine and cosine, the glow's exp and
# its sums are the program's own, and so are the bytes.
"$native" compose --out a.txt --seed 5 --stars 40 --recording-speed 2 && "$native" compose --out b.txt --seed 6 --stars 30 &&
"$native" run a.txt --steps 8 --record a.wrk || { echo "native galaxies failed"; exit 1; }
for build in native windows; do
  runner=("$native"); [ $build = windows ] && runner=("$emulator" "$windows")
  "${runner[@]}" combine a.txt b.txt --out "$build-c.txt" --tilt 33.3 --spin=-71 --offset -50,20,3 --velocity 0.1,0,-0.2 &&
  "${runner[@]}" export a.wrk --galaxy a.txt --out "$build-snaps" --format gadget &&
  "${runner[@]}" export a.wrk --galaxy a.txt --out "$build-series" --format vtk &&
  "${runner[@]}" render a.wrk --out "$build-glow" --look glow --size 320x200 --from 2 --to 3 --galaxy a.txt --turn '>' &&
  "${runner[@]}" --version > "$build-version.txt" &&
  "${runner[@]}" export --help > "$build-help.txt" || { echo "$build combine, export, --version or --help failed"; failed=1; }
done
cmp -s native-c.txt windows-c.txt || { echo "combined galaxies differ"; failed=1; }
diff -r native-snaps windows-snaps > /dev/null || { echo "exported snapshots differ"; failed=1; }
diff -r native-series windows-series > /dev/null || { echo "exported VTK series differ"; failed=1; }
diff -r native-glow windows-glow > /dev/null || { echo "glow pictures differ"; failed=1; }
# The same version; the commit is the one each was built from.
[ "$(tr -d '\r' < windows-version.txt | sed 's/ (commit .*//')" = "$(sed 's/ (commit .*//' native-version.txt)" ] &&
  grep -Eq '\(commit [0-9a-f]+' windows-version.txt || { echo "--version differs"; failed=1; }
grep -q -- "--double" windows-help.txt || { echo "the Windows export --help lacks its options"; failed=1; }
[ $failed -eq 0 ] && echo "native and windows builds agree byte for byte"
exit $failed
