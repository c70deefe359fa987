#!/usr/bin/python3
"""Writes the sample DXF plans of examples/ with ezdxf (Debian's python3-ezdxf).

    /usr/bin/python3 scripts/make-dxf-examples.py

house.dxf     the walls of house.dat, in metres, drawn the way a CAD user
              would: polylines, a block for the two partitions, room names,
              a dimension, and furniture on a frozen layer.  Reading it gives
              exactly the walls of house.dat, in the same order.
apartment.dxf an apartment in millimetres: polylines with a rounded corner
              (an arc segment), a column block inserted at five corners, a
              bathroom block inserted twice (once turned and mirrored) that
              holds a smaller column of its own, hatches, texts, and furniture on a
              switched-off layer.
"""
import os
import sys

# ezdxf lists some sections in the order of a Python set: with a fixed hash
# seed the same script writes the same files.
if os.environ.get("PYTHONHASHSEED") != "0":
    os.execve(sys.executable, [sys.executable] + sys.argv, {**os.environ, "PYTHONHASHSEED": "0"})

import ezdxf  # noqa: E402

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")

# Same files from the same script: no dates or random ids in them.
ezdxf.options.write_fixed_meta_data_for_testing = True


def new_plan(units, layers):
    doc = ezdxf.new("R2010", setup=True)
    doc.units = units
    for name, color in layers:
        doc.layers.add(name, color=color)
    return doc


def house():
    doc = new_plan(ezdxf.units.M, [("PAREDES", 7), ("TEXTOS", 3), ("COTAS", 1), ("MOBILIA", 8)])
    doc.layers.get("MOBILIA").freeze()
    walls = {"layer": "PAREDES"}

    partition = doc.blocks.new("DIVISORIA")  # a wall with a door, on the INSERT's layer
    partition.add_line((0, 0), (0, 3.5))
    partition.add_line((0, 5.5), (0, 9))

    msp = doc.modelspace()
    msp.add_line((0, 0), (5, 0), dxfattribs=walls)
    msp.add_lwpolyline([(7, 0), (12, 0), (12, 2)], dxfattribs=walls)
    msp.add_text("Sala", dxfattribs={"layer": "TEXTOS", "height": 0.3, "insert": (1.5, 2)})
    msp.add_line((12, 3), (12, 6), dxfattribs=walls)
    msp.add_lwpolyline([(12, 7), (12, 9), (8, 9)], dxfattribs=walls)
    msp.add_lwpolyline([(6, 9), (0, 9), (0, 7)], dxfattribs=walls)
    msp.add_line((0, 6), (0, 3), dxfattribs=walls)
    msp.add_line((0, 2), (0, 0), dxfattribs=walls)
    msp.add_blockref("DIVISORIA", (4.5, 0), dxfattribs=walls)
    msp.add_blockref("DIVISORIA", (7.5, 0), dxfattribs=walls)
    for start, end in [((0, 4.5), (2, 4.5)), ((3, 4.5), (4.5, 4.5)),
                       ((7.5, 4.5), (9, 4.5)), ((10, 4.5), (12, 4.5))]:
        msp.add_line(start, end, dxfattribs=walls)
    for name, x, y in [("Hall", 5.2, 4.3), ("Quarto", 9, 2), ("Cozinha", 1.2, 7), ("Quarto", 9, 7)]:
        msp.add_text(name, dxfattribs={"layer": "TEXTOS", "height": 0.3, "insert": (x, y)})
    msp.add_linear_dim(base=(0, -1), p1=(0, 0), p2=(12, 0),
                       dxfattribs={"layer": "COTAS"}).render()
    msp.add_circle((2.25, 2.25), 0.5, dxfattribs={"layer": "MOBILIA"})
    msp.add_lwpolyline([(9, 6), (11, 6), (11, 8), (9, 8)], close=True, dxfattribs={"layer": "MOBILIA"})
    doc.saveas(os.path.join(EXAMPLES, "house.dxf"))


def apartment():
    doc = new_plan(ezdxf.units.MM, [("PAREDES", 7), ("PILARES", 5), ("TEXTOS", 3),
                                    ("HACHURAS", 9), ("MOBILIA", 8)])
    doc.layers.get("MOBILIA").off()
    walls = {"layer": "PAREDES"}

    column = doc.blocks.new("PILAR", base_point=(0, 0))  # 300 mm square about its centre
    column.add_lwpolyline([(-150, -150), (150, -150), (150, 150), (-150, 150)], close=True)

    # A bathroom in a corner of the building: the block draws its two inner
    # walls from the corner point, the door being the gap left at the top.
    bathroom = doc.blocks.new("BANHEIRO")
    bathroom.add_line((0, 0), (2000, 0))
    bathroom.add_line((0, 0), (0, 1500))
    bathroom.add_blockref("PILAR", (0, 0), dxfattribs={"xscale": 0.5, "yscale": 0.5})
    bathroom.add_text("WC", dxfattribs={"height": 200, "insert": (700, 1200)})
    floor = bathroom.add_hatch(color=9)
    floor.paths.add_polyline_path([(0, 0), (2000, 0), (2000, 2500), (0, 2500)], is_closed=True)

    msp = doc.modelspace()
    # The shell, with window gaps, and a rounded south-east corner: a quarter
    # arc of radius 2000 (bulge tan(90 / 4 degrees)).
    quarter = 0.41421356237309503
    msp.add_lwpolyline([(0, 1500), (0, 0), (3000, 0)], dxfattribs=walls)
    msp.add_lwpolyline([(4500, 0, 0), (10000, 0, quarter), (12000, 2000, 0), (12000, 3000, 0)],
                       format="xyb", dxfattribs=walls)
    msp.add_lwpolyline([(12000, 4500), (12000, 8000), (7000, 8000)], dxfattribs=walls)
    msp.add_lwpolyline([(5500, 8000), (0, 8000), (0, 3000)], dxfattribs=walls)
    # Partitions.
    msp.add_line((5000, 0), (5000, 3000), dxfattribs=walls)
    msp.add_line((5000, 4000), (5000, 8000), dxfattribs=walls)
    msp.add_line((5000, 5000), (8000, 5000), dxfattribs=walls)
    for x, y in [(0, 0), (5000, 0), (0, 8000), (5000, 8000), (12000, 8000)]:
        msp.add_blockref("PILAR", (x, y), dxfattribs={"layer": "PILARES"})
    msp.add_blockref("BANHEIRO", (10000, 5500), dxfattribs=walls)
    # The same bathroom mirrored into the north-west corner, as a mirror
    # command leaves it: turned half a turn and flipped upside down.
    msp.add_blockref("BANHEIRO", (2000, 5500), dxfattribs={"layer": "PAREDES", "rotation": 180,
                                                           "yscale": -1})
    for name, x, y in [("Sala", 2000, 1500), ("Quarto", 8000, 2500), ("Cozinha", 6000, 6500)]:
        msp.add_text(name, dxfattribs={"layer": "TEXTOS", "height": 250, "insert": (x, y)})
    msp.add_mtext("Apartamento tipo\\PPlanta baixa", dxfattribs={"layer": "TEXTOS", "char_height": 300,
                                                                "insert": (0, -800)})
    sofa = msp.add_lwpolyline([(1000, 3500), (3000, 3500), (3000, 4300), (1000, 4300)], close=True,
                              dxfattribs={"layer": "MOBILIA"})
    sofa.dxf.color = 30
    doc.saveas(os.path.join(EXAMPLES, "apartment.dxf"))


if __name__ == "__main__":
    house()
    apartment()
