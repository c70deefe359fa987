#!/usr/bin/python3
"""DXF files for the DXF tests, written with ezdxf, a DXF writer of its own.

    dxf_fixtures.py make FOLDER     writes the fixtures into FOLDER
    dxf_fixtures.py describe FILE   prints what ezdxf reads in FILE: its
                                    $INSUNITS, then per LINE its layer and
                                    the repr of its four coordinates
"""
import os
import sys

import ezdxf


def kinds(folder):
    """Each kind of entity on a layer named after it, so that a test can read
    one kind at a time by choosing its layer."""
    doc = ezdxf.new("R2000")
    doc.units = ezdxf.units.M
    msp = doc.modelspace()

    def on(layer):
        if layer not in doc.layers:
            doc.layers.add(layer)
        return {"layer": layer}

    msp.add_line((0, 0), (4, 0), dxfattribs=on("LINE"))
    msp.add_line((5, 5), (5, 5), dxfattribs=on("LINE"))  # no length: no wall
    # Half a circle of radius 1 from (0, 0) to (2, 0), below the chord
    # (counter-clockwise), then straight up.
    msp.add_lwpolyline([(0, 0, 1), (2, 0, 0), (2, 3, 0)], format="xyb", dxfattribs=on("BULGE"))
    msp.add_polyline2d([(0, 0), (1, 0), (1, 1), (0, 1)], close=True, dxfattribs=on("POLYLINE"))
    msp.add_arc((0, 0), 2, 0, 90, dxfattribs=on("ARC"))
    msp.add_arc((0, 0), 2, 0, 90, dxfattribs={**on("MIRRORED"), "extrusion": (0, 0, -1)})
    msp.add_circle((10, 10), 1, dxfattribs=on("CIRCLE"))

    # INNER is a unit segment; OUTER holds INNER at (1, 0), turned 90 degrees
    # and doubled; OUTER is placed at (10, 0) with base point (1, 1), turned
    # 90 degrees and stretched 3 times along its x.
    inner = doc.blocks.new("INNER")
    inner.add_line((0, 0), (1, 0))
    outer = doc.blocks.new("OUTER", base_point=(1, 1))
    outer.add_blockref("INNER", (1, 0), dxfattribs={"rotation": 90, "xscale": 2, "yscale": 2})
    msp.add_blockref("OUTER", (10, 0), dxfattribs={**on("NESTED"), "rotation": 90, "xscale": 3})
    # INNER in 2 columns and 3 rows, 10 apart.
    msp.add_blockref("INNER", (0, 20), dxfattribs={**on("ARRAY"), "column_count": 2, "row_count": 3,
                                                   "column_spacing": 10, "row_spacing": 10})

    other = on("OTHER")
    msp.add_text("texto", dxfattribs=other)
    msp.add_text("texto", dxfattribs=other)
    msp.add_mtext("texto", dxfattribs=other)
    msp.add_point((1, 1), dxfattribs=other)
    msp.add_ellipse((0, 0), (2, 0), 0.5, dxfattribs=other)
    msp.add_spline([(0, 0), (1, 1), (2, 0), (3, 1)], dxfattribs=other)
    hatch = msp.add_hatch(dxfattribs=other)
    hatch.paths.add_polyline_path([(0, 0), (1, 0), (1, 1)], is_closed=True)
    msp.add_linear_dim(base=(0, -1), p1=(0, 0), p2=(4, 0), dxfattribs=other).render()
    msp.add_blockref("MISSING", (0, 0), dxfattribs=other)
    doc.add_xref_def("vizinho.dxf", "NEIGHBOUR")  # a block that stands for another file
    msp.add_blockref("NEIGHBOUR", (0, 0), dxfattribs=other)

    doc.layout("Layout1").add_line((0, 0), (100, 100), dxfattribs=on("LINE"))  # paper space
    doc.saveas(os.path.join(folder, "kinds.dxf"))
    doc.saveas(os.path.join(folder, "kinds-binary.dxf"), fmt="bin")


def layers(folder):
    """A block with one line on layer 0, which takes the layer of each INSERT,
    and one on its own layer, inserted on a visible, a switched-off and a
    frozen layer."""
    doc = ezdxf.new("R2000")
    for name in ("SHOWN", "OWN", "OFF", "FROZEN"):
        doc.layers.add(name)
    doc.layers.get("OFF").off()
    doc.layers.get("FROZEN").freeze()
    block = doc.blocks.new("B")
    block.add_line((0, 0), (1, 0))
    block.add_line((0, 1), (1, 1), dxfattribs={"layer": "OWN"})
    msp = doc.modelspace()
    msp.add_blockref("B", (0, 0), dxfattribs={"layer": "SHOWN"})
    msp.add_blockref("B", (0, 10), dxfattribs={"layer": "OFF"})
    msp.add_blockref("B", (0, 20), dxfattribs={"layer": "FROZEN"})
    msp.add_line((5, 5), (6, 6), dxfattribs={"layer": "FROZEN"})
    doc.saveas(os.path.join(folder, "layers.dxf"))


def units(folder):
    """The same line, from (1000, 2540) to (0, 0), in each unit (0: none)."""
    for code in (0, 1, 2, 4, 5, 6):
        doc = ezdxf.new("R2000")
        doc.header["$INSUNITS"] = code
        doc.modelspace().add_line((1000, 2540), (0, 0))
        doc.saveas(os.path.join(folder, "units-%d.dxf" % code))


def old_polyline(folder):
    """An R12 file: no LWPOLYLINE there, a POLYLINE with VERTEX entities, here
    a closed one with a half-circle bulge on its last, closing segment."""
    doc = ezdxf.new("R12")
    doc.modelspace().add_polyline2d([(0, 0, 0), (2, 0, 0), (2, 2, 1)], format="xyb", close=True)
    doc.saveas(os.path.join(folder, "r12.dxf"))


def bad(folder):
    doc = ezdxf.new("R2000")
    doc.modelspace().add_text("só texto")
    doc.saveas(os.path.join(folder, "only-text.dxf"))

    doc = ezdxf.new("R2000")
    loop = doc.blocks.new("LOOP")
    loop.add_line((0, 0), (1, 0))
    loop.add_blockref("LOOP", (1, 0))
    doc.modelspace().add_blockref("LOOP", (0, 0))
    doc.saveas(os.path.join(folder, "loop.dxf"))

    # Each block inserts the next twice, 40 deep: 2 to the 40th copies.
    doc = ezdxf.new("R2000")
    for level in range(40):
        block = doc.blocks.new("LEVEL%d" % level)
        if level < 39:
            block.add_blockref("LEVEL%d" % (level + 1), (0, 0))
            block.add_blockref("LEVEL%d" % (level + 1), (1, 0))
    doc.modelspace().add_blockref("LEVEL0", (0, 0))
    doc.saveas(os.path.join(folder, "deep.dxf"))


def describe(path):
    doc = ezdxf.readfile(path)
    print(doc.header.get("$INSUNITS", 0))
    for line in doc.modelspace().query("LINE"):
        start, end = line.dxf.start, line.dxf.end
        print(line.dxf.layer, repr(start.x), repr(start.y), repr(end.x), repr(end.y))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        os.makedirs(sys.argv[2], exist_ok=True)
        for make in (kinds, layers, units, old_polyline, bad):
            make(sys.argv[2])
    else:
        describe(sys.argv[2])
