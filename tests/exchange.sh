#!/usr/bin/env bash
# Runs and galaxies through the tools N-body users have: yt reads exported snapshots, ParaView
# the VTK series; a snapshot written independently imports; a collision is placed exactly.
set -u
. "$(dirname "$0")/batch_start.sh"
py=/usr/bin/python3  # the system's, whose modules yt and ParaView are

"$BATCH" compose --out g.txt --seed 7 --stars 300 --recording-speed 3
"$BATCH" run g.txt --steps 12 --record r.wrk
"$BATCH" export r.wrk --out snaps --format gadget --galaxy g.txt
check '[ $? -eq 0 ] && [ $(ls snaps | wc -l) -eq 4 ]' "a snapshot per frame"
"$BATCH" export r.wrk --out series --format vtk --galaxy g.txt
check '[ $? -eq 0 ] && [ -f series/selvane.pvd ]' "a VTK series"

# Every position and mass as the file holds them, to the bit of single precision; time is the step.
"$py" - <<'PY' > yt.txt 2>&1
import numpy as np, yt
yt.set_log_level(50)
stars = 300
frames = np.fromfile("r.wrk", dtype="<f8", offset=8).reshape(-1, 3, stars)
masses = np.array([float(line.split(",")[0]) for line in open("g.txt", newline="").read().split("\r\n")[1:] if line])
for k in range(4):
    ds = yt.load("snaps/snapshot_%06d" % k, bounding_box=[[-1e4, 1e4]] * 3,
                 unit_base={"length": (1.0, "cm"), "velocity": (1.0, "cm/s"), "mass": (1.0, "g")})
    ad = ds.all_data()
    order = np.argsort(ad["Halo", "ParticleIDs"].d)
    pos = ad["Halo", "Coordinates"].to_value("code_length")[order]
    mass = ad["Halo", "Mass"].to_value("code_mass")[order]
    assert np.array_equal(pos.astype(np.float32), frames[k].T.astype(np.float32)), "positions of frame %d" % k
    assert np.array_equal(mass.astype(np.float32), masses.astype(np.float32)), "masses of frame %d" % k
    assert float(ds.current_time.to_value("code_time")) == 3 * (k + 1), "time of frame %d" % k
print("yt ok")
PY
check 'grep -qx "yt ok" yt.txt' "yt reads the exported recording: $(tail -n1 yt.txt)"

/usr/bin/pvpython - <<'PY' > pv.txt 2>&1
import numpy as np
from paraview.simple import OpenDataFile, servermanager
from vtk.util.numpy_support import vtk_to_numpy
stars = 300
frames = np.fromfile("r.wrk", dtype="<f8", offset=8).reshape(-1, 3, stars)
masses = np.array([float(line.split(",")[0]) for line in open("g.txt", newline="").read().split("\r\n")[1:] if line])
reader = OpenDataFile("series/selvane.pvd")
assert list(reader.TimestepValues) == [3.0, 6.0, 9.0, 12.0], reader.TimestepValues
for k, t in enumerate(reader.TimestepValues):
    reader.UpdatePipeline(t)
    data = servermanager.Fetch(reader)
    assert np.array_equal(vtk_to_numpy(data.GetPoints().GetData()), frames[k].T), "points of frame %d" % k
    assert np.array_equal(vtk_to_numpy(data.GetPointData().GetArray("mass")), masses), "masses of frame %d" % k
    v = (frames[min(k + 1, 3)] - frames[min(k + 1, 3) - 1]) / 3
    speed = np.sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])
    assert np.array_equal(vtk_to_numpy(data.GetPointData().GetArray("speed")), speed), "speeds of frame %d" % k
print("paraview ok")
PY
check 'grep -qx "paraview ok" pv.txt' "ParaView steps through the series: $(tail -n1 pv.txt)"

# A galaxy exported in double precision imports as the very same galaxy.
"$BATCH" export g.txt --out g.snap --format gadget --double
"$BATCH" import g.snap --out back.txt --recording-speed 3
check 'cmp -s g.txt back.txt' "export --double then import gives the galaxy back byte for byte"

# Format 2, big-endian, single precision, two particle types, one with its mass in the header.
"$py" - <<'PY'
import struct
def record(body): return struct.pack(">i", len(body)) + body + struct.pack(">i", len(body))
def block(name, body): return record(name.encode() + struct.pack(">i", len(body) + 8)) + record(body)
header = struct.pack(">6i", 1, 2, 0, 0, 0, 0) + struct.pack(">6d", 0, 0.5, 0, 0, 0, 0)
header += b"\0" * (256 - len(header))
pos = [(1, 2, 3), (-0.5, 0.25, 100), (4, 5, -6)]
vel = [(0.125, 0, -1), (2, 3, 4), (-8, 16, 0.75)]
flat = lambda rows: b"".join(struct.pack(">3f", *row) for row in rows)
data = block("HEAD", header) + block("POS ", flat(pos)) + block("VEL ", flat(vel))
data += block("ID  ", struct.pack(">3i", 1, 2, 3)) + block("MASS", struct.pack(">f", 1.5))
open("other.snap", "wb").write(data)
PY
"$BATCH" import other.snap --out other.txt --size-of-star 2.5
printf '3,2.5,5,30\r\n1.5,1,2,3,0.125,0,-1\r\n0.5,-0.5,0.25,100,2,3,4\r\n0.5,4,5,-6,-8,16,0.75\r\n' > expected.txt
check 'cmp -s other.txt expected.txt' "a format 2 big-endian snapshot imports as its particles"
printf '# mass x y z vx vy vz\n1 0 0 0 0 0 0\n\n2, 1e3, -4, 0.5 , 1,1,1  # a comment\n' > stars.csv
"$BATCH" import stars.csv --out table.txt
check '[ "$(cat table.txt)" = "$(printf "2,20,5,30\r\n1,0,0,0,0,0,0\r\n2,1000,-4,0.5,1,1,1\r")" ]' "a plain table imports"

# Hostile sources: one line, status 2, nothing written.
head -c 300 other.snap > cut.snap
"$py" -c "
import sys; d = bytearray(open('other.snap','rb').read()); d[3] = 255; open('liar.snap','wb').write(d)
d = bytearray(open('other.snap','rb').read()); d[20:24] = (300000).to_bytes(4, 'big'); open('many.snap','wb').write(d)"
printf '1 nan 0 0 0 0 0\n' > nan.csv
printf '1 2 3\n' > short.csv
for bad in cut.snap liar.snap many.snap nan.csv short.csv; do
  "$BATCH" import $bad --out imported.txt 2> err.txt
  check '[ $? -eq 2 ] && [ $(wc -l < err.txt) -eq 1 ] && [ ! -e imported.txt ]' "$bad is refused in one line"
done

# A collision: B turned a quarter about x, then half about z, about its centre, moved and set moving.
printf '1,20,5,30\r\n2,1,2,3,0.5,0,0\r\n' > a.txt
printf '2,10,1,5\r\n1,1,0,0,0,1,0\r\n3,-1,2,4,0,0,1\r\n' > b.txt
"$BATCH" combine a.txt b.txt --out c.txt --tilt 90 --spin 180 --offset 10,0,-10 --velocity 0,0,5
# Centre (0,1,2); star 1 from it (1,-1,-2) tilts to (1,2,-1) and spins to (-1,-2,-1); star 2
# from (-1,1,2) to (-1,-2,1) and (1,2,1).
printf '3,20,5,30\r\n2,1,2,3,0.5,0,0\r\n1,9,-1,-9,0,0,6\r\n3,11,3,-7,0,1,5\r\n' > expected.txt
check 'cmp -s c.txt expected.txt' "combine places the second galaxy: $(tr '\r\n' ' |' < c.txt)"
"$BATCH" combine a.txt b.txt --out c30.txt --spin 30
"$py" - <<'PY' > c30.out
import math
row = [float(v) for v in open("c30.txt", newline="").read().split("\r\n")[2].split(",")]
c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
want = [1, c * 1 - s * -1, s * 1 + c * -1 + 1, 0, -s, c, 0]
print("ok" if all(abs(a - b) <= 1e-15 * max(1, abs(b)) for a, b in zip(row, want)) else row)
PY
check 'grep -qx ok c30.out' "a turn of 30 degrees: $(cat c30.out)"

echo "exchange: $failures failed"
[ $failures -eq 0 ]
