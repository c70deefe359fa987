// DXF plans: reading the walls of a plan drawn in a CAD program, and saving
// walls as a DXF file.  Values in and out; nothing here touches the drawing.
//
// What becomes a wall (model space only, in file order): each LINE; each
// segment of an LWPOLYLINE or a 2-D or 3-D POLYLINE, open or closed; ARC and
// CIRCLE, and the arc segments (bulges) of polylines, split into straight
// walls of at most 15 degrees and at most a tenth of the radius long; INSERT
// references expanded with their insertion point, scales, rotation, column
// and row repeats and nesting.  Every other kind of entity is skipped and
// counted.  Coordinates are converted to metres from the unit in $INSUNITS.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

// One straight wall, in metres, from (x0, y0) to (x1, y1).
struct WallSegment {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

inline bool operator==(const WallSegment& a, const WallSegment& b) {
  return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

struct DxfLayer {
  std::string name;
  bool frozen = false;
  bool off = false;  // switched off: its colour is negative in the layer table
  bool Visible() const { return !frozen && !off; }
};

// The drawing unit of the file ($INSUNITS) and its size in metres.
struct DxfUnit {
  int code = 0;        // the $INSUNITS value; 0 when the file has none
  bool given = false;  // false when the file gives no unit it knows: read as metres
  std::string name;    // in Portuguese, plural: "milímetros"
};

// The walls kept from a file with a choice of layers.
struct DxfWalls {
  std::vector<WallSegment> walls;  // in the order the file draws them
  // Entities of other kinds, with their count, most frequent first.
  std::vector<std::pair<std::string, int>> skipped;
  int hidden = 0;  // entities left out with their layers (frozen, off or not chosen)

  // "12 TEXT, 3 DIMENSION, 1 HATCH"; empty when nothing was skipped.
  std::string SkippedSummary() const;
};

struct DxfReadState;

// A DXF file as read, before layers are chosen: its layers, unit, blocks and
// model space.  Choosing layers again needs no second reading.
class DxfPlan {
 public:
  DxfPlan();
  ~DxfPlan();
  DxfPlan(DxfPlan&&) noexcept;
  DxfPlan& operator=(DxfPlan&&) noexcept;

  // Reads the file at `path`.  False with a message in Portuguese (what went
  // wrong, and the line of the file where it is known) when the file cannot
  // be opened, is not a DXF file, is a binary DXF file, is cut short or has a
  // number that is not finite.
  bool Read(const std::string& path, std::string& error);

  // The layer table in file order, then layers used without being listed.
  const std::vector<DxfLayer>& Layers() const;
  const DxfUnit& Unit() const;

  // The walls on the layers in `keep` (names compared without regard to
  // case), or on every visible layer when `keep` is empty.  An entity inside
  // a block takes the layer of the INSERT when its own layer is "0"; an
  // INSERT on a frozen layer that is not kept hides all its content.  False
  // with a message when a kept layer is not in the file, a block inserts
  // itself, the result is too large or not finite, or no wall is left.
  bool Walls(const std::vector<std::string>& keep, DxfWalls& out, std::string& error) const;

  // For the message line: "18 paredes, em metros; ignorados: 5 TEXT,
  // 1 DIMENSION; 2 entidades em camadas ocultas ou não escolhidas", or
  // "...; o arquivo não indica a unidade: lido em metros" for a file
  // without a unit.
  std::string Summary(const DxfWalls& walls) const;

 private:
  std::unique_ptr<DxfReadState> state_;
};

// Read and Walls in one call.
bool ReadDxfFile(const std::string& path, const std::vector<std::string>& keep, DxfWalls& out,
                 std::string& error);

// Writes the walls as LINE entities on the layer "BRISEL", in metres, in the
// given order, each coordinate with the digits that read back as the same
// double.  The file is replaced only once written whole (see atomic_file.h).
bool WriteDxfFile(const std::string& path, const std::vector<WallSegment>& walls,
                  std::string& error);

// The file name ends in ".dxf", in any case.
bool IsDxfPath(const std::string& path);
