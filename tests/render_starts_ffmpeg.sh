#!/usr/bin/env bash
# The Windows batch runner starts ffmpeg.exe itself, with no cmd.exe between: a stand-in
# that reports what it got shows every argument arrives as it was, the video's name last
# behind file:, the pictures through its own pipe, and that one that hangs is ended.
set -u
batch=$1 standin=$2 wine=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
failures=0
check() { if ! eval "$1"; then echo "FAILED: $2"; failures=$((failures + 1)); fi; }

mkdir bin 'a b %PATH%'
cp "$standin" bin/ffmpeg.exe
export WINEPATH="Z:${dir//\//\\}\\bin"
"$wine" "$batch" compose --out g.txt --seed 3 --stars 20 --recording-speed 5
"$wine" "$batch" run g.txt --steps 15 --record rec.wrk > /dev/null
out='a b %PATH%/-x.mp4'
"$wine" "$batch" render rec.wrk --out "$out" --fps 12
check '[ $? -eq 0 ] && [ "$(tail -n 1 "$out" | tr -d "\r")" = "$((3 * 470 * 376 * 3)) bytes" ]' "three pictures of 470 x 376 through the pipe"
check '[ "$(head -n 14 "$out" | tr -d "\r" | tr "\n" " ")" = "-hide_banner -loglevel error -y -f rawvideo -pixel_format rgb24 -video_size 470x376 -framerate 12 -i pipe:0 " ]' \
  "the options arrive word for word"
check 'tail -n 2 "$out" | head -n 1 | grep -q "^file:a b %PATH%.\.sv[0-9a-f]*\.tmp" && [ -z "$(find . -name ".sv*")" ]' \
  "the temporary video goes last behind file:, unexpanded, and takes the target's name"

STANDIN_HANG=1 SELVANE_FFMPEG_TIMEOUT=1 timeout 60 "$wine" "$batch" render rec.wrk --out hung.mp4 2> err.txt
check '[ $? -eq 2 ] && grep -q "gave up" err.txt && [ ! -e hung.mp4 ] && [ -z "$(find . -name ".sv*")" ]' \
  "an ffmpeg.exe that takes nothing is ended and leaves nothing"

echo "render starts ffmpeg: $failures failed"
[ $failures -eq 0 ]
