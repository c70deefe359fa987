// Saving walls as a DXF file through dxflib's writer.
#include <dxflib/dl_dxf.h>

#include <charconv>
#include <cstdio>

#include "model/atomic_file.h"
#include "model/dxf_file.h"

namespace {

// The library's ASCII writer with every group sent to our file, and every
// real written in the shortest form that reads back as the same double
// (the library's own format keeps 16 decimals, which drops digits of small
// values).  The writer's own file stream is given no file and left unused.
class GroupWriter : public DL_WriterA {
 public:
  explicit GroupWriter(std::FILE* file) : DL_WriterA("", DL_VERSION_2000), file_(file) {}

  void dxfReal(int code, double value) const override {
    char text[32];
    *std::to_chars(text, text + sizeof text - 1, value).ptr = '\0';
    dxfString(code, text);
  }
  void dxfInt(int code, int value) const override {
    std::fprintf(file_, "%3d\n%6d\n", code, value);
  }
  void dxfHex(int code, int value) const override {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    dxfString(code, text);
  }
  void dxfString(int code, const char* value) const override {
    std::fprintf(file_, "%3d\n%s\n", code, value);
  }
  void dxfString(int code, const std::string& value) const override {
    dxfString(code, value.c_str());
  }

 private:
  std::FILE* file_;
};

void WriteTables(DL_Dxf& dxf, GroupWriter& w) {
  w.sectionTables();
  dxf.writeVPort(w);
  w.tableLinetypes(3);
  dxf.writeLinetype(w, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
  dxf.writeLinetype(w, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
  w.tableEnd();
  w.tableLayers(2);
  const DL_Attributes layerLook("", 7, 0, "CONTINUOUS", 1.0);  // black on white, like the walls
  dxf.writeLayer(w, DL_LayerData("0", 0), layerLook);
  dxf.writeLayer(w, DL_LayerData("BRISEL", 0), layerLook);
  w.tableEnd();
  w.tableStyle(1);
  dxf.writeStyle(w, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 0.25, "txt", ""));
  w.tableEnd();
  dxf.writeView(w);
  dxf.writeUcs(w);
  w.tableAppid(1);
  dxf.writeAppid(w, "ACAD");
  w.tableEnd();
  dxf.writeDimStyle(w, 0.25, 0.0625, 0.0625, 0.0625, 0.25);
  dxf.writeBlockRecord(w);
  w.tableEnd();
  w.sectionEnd();
}

void WriteBlocks(DL_Dxf& dxf, GroupWriter& w) {
  w.sectionBlocks();
  for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
    dxf.writeBlock(w, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(w, name);
  }
  w.sectionEnd();
}

bool WriteWalls(std::FILE* file, const std::vector<WallSegment>& walls) {
  DL_Dxf dxf;
  GroupWriter w(file);
  dxf.writeHeader(w);
  w.dxfString(9, "$INSUNITS");
  w.dxfInt(70, 6);  // metres
  w.dxfString(9, "$MEASUREMENT");
  w.dxfInt(70, 1);  // metric
  w.sectionEnd();
  WriteTables(dxf, w);
  WriteBlocks(dxf, w);
  w.sectionEntities();
  const DL_Attributes wallLook("BRISEL", 256, -1, "BYLAYER", 1.0);
  for (const WallSegment& s : walls)
    dxf.writeLine(w, DL_LineData(s.x0, s.y0, 0, s.x1, s.y1, 0), wallLook);
  w.sectionEnd();
  dxf.writeObjects(w);
  dxf.writeObjectsEnd(w);
  w.dxfEOF();
  return true;
}

}  // namespace

bool WriteDxfFile(const std::string& path, const std::vector<WallSegment>& walls,
                  std::string& error) {
  return WriteFileAtomically(
      path, [&walls](std::FILE* file) { return WriteWalls(file, walls); }, error);
}
