#!/bin/sh
# Checks the analysis of a drawing against OpenFOAM's potentialFoam, which
# solves the Laplace equation of the same problem to convergence:
#
#   sh scripts/compare-openfoam.sh DRAWING.dat [brisel-flow options]
#
# With --wind the case is laid on the grid's own frame, turned with the
# wind, as the dump gives it.
# The batch tool's dump gives the grid and its solid cells.  The OpenFOAM
# case is one 2-D block of the grid's extent and cells; the solid cells are
# cut out (topoSet, subsetMesh) and their faces become a slip wall; the
# velocity is fixed to the inflow on the west and east sides, north and
# south slip, and PhiRefCell fixes the potential's constant.  Prints the
# mean and the largest difference of the cell-centre velocities, in percent
# of the inflow speed.  Installs the openfoam package when it is missing.
set -e
[ $# -ge 1 ] || { echo "uso: $0 DESENHO.dat [opções do brisel-flow]" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
drawing="$1"
shift

if ! command -v potentialFoam >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y openfoam
fi
# The Debian package's programs find their settings through this.
WM_PROJECT_DIR="${WM_PROJECT_DIR:-/usr/share/openfoam}"
export WM_PROJECT_DIR
[ -x "$root/build/brisel-flow" ] || sh "$root/scripts/build.sh"

case_dir="$(mktemp -d /tmp/brisel-openfoam-XXXXXX)"
[ -n "$KEEP" ] || trap 'rm -rf "$case_dir"' EXIT INT TERM
"$root/build/brisel-flow" "$@" --dump "$case_dir/brisel.dump" "$drawing"

python3 - "$case_dir" <<'EOF'
import os, sys

case = sys.argv[1]
lines = open(os.path.join(case, "brisel.dump")).read().split("\n")
# The dump is in the grid's frame, the wind along +x, whatever its direction.
first = {l.split()[0]: i for i, l in reversed(list(enumerate(lines))) if l}
_, nc, nr, dx, dy = lines[first["grid"]].split()
nc, nr, dx, dy = int(nc), int(nr), float(dx), float(dy)
start = first["cells"] + 1
count = int(lines[start - 1].split()[1])
solid = [int(l.split()[0]) for l in lines[start:start + count] if int(l.split()[1]) == 9]

header = """FoamFile
{
    version 2.0;
    format ascii;
    class %s;
    object %s;
}
"""

def write(path, cls, text):
    full = os.path.join(case, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w") as f:
        f.write(header % (cls, os.path.basename(path)) + text)

# potentialFoam refuses the least rounding between the inflow and the
# outflow it sums, so the case is made in units where those sums are exact:
# lengths in cell heights from the grid's corner, velocities in inflows.
# The flow relative to the inflow does not change.
width = nc * dx / dy
write("system/blockMeshDict", "dictionary", """
convertToMeters 1;
vertices
(
    (0 0 0) (%r 0 0) (%r %d 0) (0 %d 0)
    (0 0 1) (%r 0 1) (%r %d 1) (0 %d 1)
);
""" % (width, width, nr, nr, width, width, nr, nr) + """blocks ( hex (0 1 2 3 4 5 6 7) (%d %d 1) simpleGrading (1 1 1) );
boundary
(
    west { type patch; faces ((0 4 7 3)); }
    east { type patch; faces ((1 2 6 5)); }
    south { type wall; faces ((0 1 5 4)); }
    north { type wall; faces ((3 7 6 2)); }
    walls { type wall; faces (); }
    frontAndBack { type empty; faces ((0 3 2 1) (4 5 6 7)); }
);
""" % (nc, nr))

write("system/controlDict", "dictionary", """
application potentialFoam;
startFrom startTime; startTime 0; stopAt endTime; endTime 1; deltaT 1;
writeControl timeStep; writeInterval 1; writeFormat ascii; writePrecision 17;
""")
write("system/fvSchemes", "dictionary", """
ddtSchemes { default steadyState; }
gradSchemes { default Gauss linear; }
divSchemes { default none; div(phi,U) Gauss linear; div(div(phi,U)) Gauss linear; }
laplacianSchemes { default Gauss linear corrected; }
interpolationSchemes { default linear; }
snGradSchemes { default corrected; }
""")
write("system/fvSolution", "dictionary", """
solvers
{
    Phi { solver PCG; preconditioner DIC; tolerance 1e-14; relTol 0; maxIter 100000; }
    p { $Phi; }
}
potentialFlow { nNonOrthogonalCorrectors 2; PhiRefCell 0; PhiRefValue 0; }
""")
labels = " ".join(str(c) for c in solid)
write("system/topoSetDict", "dictionary", """
actions
(
    { name fluid; type cellSet; action new; source labelToCell; value (%s); }
    { name fluid; type cellSet; action invert; }
);
""" % labels)

slip = "{ type slip; }"
write("0/U", "volVectorField", """
dimensions [0 1 -1 0 0 0 0];
internalField uniform (0 0 0);
boundaryField
{
    west { type fixedValue; value uniform (1 0 0); }
    east { type fixedValue; value uniform (1 0 0); }
    north %s
    south %s
    walls %s
    frontAndBack { type empty; }
}
""" % (slip, slip, slip))
write("0/p", "volScalarField", """
dimensions [0 2 -2 0 0 0 0];
internalField uniform 0;
boundaryField
{
    ".*" { type zeroGradient; }
    frontAndBack { type empty; }
}
""")
EOF

run() {
  (cd "$case_dir" && "$@" >"$case_dir/log.$1" 2>&1) || {
    echo "$1 falhou; veja o registro:" >&2
    tail -20 "$case_dir/log.$1" >&2
    exit 1
  }
}
run blockMesh
run topoSet
run subsetMesh fluid -patch walls -overwrite
run potentialFoam

python3 - "$case_dir" <<'EOF'
import os, re, sys

case = sys.argv[1]
lines = open(os.path.join(case, "brisel.dump")).read().split("\n")
first = {l.split()[0]: i for i, l in reversed(list(enumerate(lines))) if l}
inflow = float(lines[first["inflow"]].split()[1])
start = first["cells"] + 1
count = int(lines[start - 1].split()[1])
cells = [l.split() for l in lines[start:start + count]]
fluid = [int(c[0]) for c in cells if int(c[1]) != 9]
brisel = {int(c[0]): (float(c[3]), float(c[4])) for c in cells}

def internal_vectors(path):
    text = open(path).read()
    body = text[text.index("internalField"):]
    n = int(re.search(r"\n(\d+)\s*\n\(", body).group(1))
    items = body[body.index("(", body.index("\n%d" % n)) + 1:]
    return [tuple(map(float, v.split())) for v in re.findall(r"\(([^()]*)\)", items)[:n]]

velocity = internal_vectors(os.path.join(case, "0", "U"))
# subsetMesh keeps the cells it keeps in their order.
assert len(velocity) == len(fluid), "the cut mesh does not match the fluid cells"
diffs = []
for index, (ux, uy, _) in zip(fluid, velocity):
    bx, by = brisel[index]
    diffs.append(((bx / inflow - ux) ** 2 + (by / inflow - uy) ** 2) ** 0.5 * 100)
print("células fluidas %d; diferença da velocidade no centro, %% da velocidade de entrada: "
      "média %.1e, maior %.1e" % (len(diffs), sum(diffs) / len(diffs), max(diffs)))
EOF
