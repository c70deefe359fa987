// Reading DXF plans through dxflib.  The groups of the file are handed to
// the library, which decodes its unit, layer table, blocks and entities;
// what it hands over is turned into wall segments here, in the units of the
// file, kept per block, and expanded into metres once the layers are chosen.
#include "model/dxf_file.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <new>
#include <sstream>
#include <streambuf>
#include <unordered_map>

#include "model/affine.h"
#include "model/drawing_file.h"
#include "model/dxf_shapes.h"

namespace {

constexpr size_t kMostWalls = 10'000'000;
constexpr int kDeepestNesting = 64;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// ---- Units ----------------------------------------------------------------------

// A length in the unit times `times` divided by `per` is the length in
// metres; both are exact where they can be, so that 2500 mm give exactly
// the double nearest 2.5 m.
struct UnitEntry {
  int code;
  const char* name;
  double times, per;
};

const UnitEntry kUnits[] = {
    {1, "polegadas", 254, 1e4},
    {2, "pés", 3048, 1e4},
    {3, "milhas", 1609344, 1e3},
    {4, "milímetros", 1, 1e3},
    {5, "centímetros", 1, 1e2},
    {6, "metros", 1, 1},
    {7, "quilômetros", 1e3, 1},
    {8, "micropolegadas", 254, 1e10},
    {9, "milésimos de polegada", 254, 1e7},
    {10, "jardas", 9144, 1e4},
    {11, "angstroms", 1, 1e10},
    {12, "nanômetros", 1, 1e9},
    {13, "micrômetros", 1, 1e6},
    {14, "decímetros", 1, 10},
    {15, "decâmetros", 10, 1},
    {16, "hectômetros", 100, 1},
    {17, "gigâmetros", 1e9, 1},
    {18, "unidades astronômicas", 149597870700, 1},
    {19, "anos-luz", 9.4607304725808e15, 1},
    {20, "parsecs", 3.0856775814913673e16, 1},
    {21, "pés de levantamento dos EUA", 1200, 3937},
};

const UnitEntry kMetres = {6, "metros", 1, 1};

const UnitEntry& UnitOf(int code) {
  for (const UnitEntry& unit : kUnits)
    if (unit.code == code) return unit;
  return kMetres;
}

// ---- What a file holds ------------------------------------------------------------

enum class ItemKind { Walls, Insert, Skipped };

// One or more entities of a block or of the model space, in file order.
struct Item {
  ItemKind kind = ItemKind::Walls;
  int layer = 0;
  int entities = 1;
  size_t first = 0, count = 0;  // Walls: their range in the container's segments
  size_t ref = 0;               // Insert: index in inserts; Skipped: index in kinds
};

struct Container {
  DxfPoint base;          // a block's base point: the point placed at the insertion point
  bool external = false;  // a block that stands for another file (an external reference)
  std::vector<Item> items;
  std::vector<WallSegment> segments;  // in the file's units, in the container's plane
};

struct InsertRef {
  std::string block;  // upper case: block names ignore case
  double x = 0, y = 0, scaleX = 1, scaleY = 1, angle = 0;
  int columns = 1, rows = 1;
  double columnSpacing = 0, rowSpacing = 0;
  Affine2D plane;  // the INSERT's plane seen from above
  int line = 0;
};

// The map from a block's coordinates to its parent's for one copy of an INSERT:
// p -> plane(R(angle) * (S * (p - base) + array offset) + insertion point).
Affine2D Placement(const InsertRef& insert, DxfPoint base, int column, int row) {
  double c, s;
  CosSinDegrees(insert.angle, c, s);
  const double tx = -base.x * insert.scaleX + column * insert.columnSpacing;
  const double ty = -base.y * insert.scaleY + row * insert.rowSpacing;
  Affine2D m;
  m.set(c * insert.scaleX, -s * insert.scaleY, c * tx - s * ty + insert.x, s * insert.scaleX,
        c * insert.scaleY, s * tx + c * ty + insert.y);
  return IsIdentity(insert.plane) ? m : Compose(insert.plane, m);
}

}  // namespace

struct DxfReadState {
  std::vector<DxfLayer> layers;
  std::unordered_map<std::string, int> layerIndex;  // by upper-case name
  DxfUnit unit;
  UnitEntry scale = kMetres;
  Container model;
  std::unordered_map<std::string, Container> blocks;  // by upper-case name
  std::vector<InsertRef> inserts;
  std::vector<std::string> kinds;  // names of the skipped kinds
  std::unordered_map<std::string, size_t> kindIndex;

  int LayerIndex(const std::string& name) {
    const auto found = layerIndex.emplace(Upper(name), static_cast<int>(layers.size()));
    if (found.second) layers.push_back({name});
    return found.first->second;
  }
  size_t KindIndex(const std::string& kind) {
    const auto found = kindIndex.emplace(kind, kinds.size());
    if (found.second) kinds.push_back(kind);
    return found.first->second;
  }
};

namespace {

// ---- Reading ----------------------------------------------------------------------

// An object of the file (a table record, a block or an entity).  Its kind
// and line are noted here from its groups.  The library sees nothing of an
// object withheld from it, so the layer and paper space that count such an
// entity are noted here too; an entity the library decodes takes its layer
// and plane from the library (DeliveredEntity).
struct ObjectInfo {
  std::string type;  // the value of its 0 group
  int line = 0;      // the line of that group
  std::string layer = "0";
  bool paperSpace = false;
  double normal[3] = {0, 0, 1};  // the extrusion direction
  int vertexFlags = 0;           // a VERTEX's group 70, which the library does not pass on
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The lines of a file, read in large blocks.  A group's code line loses the
// blanks around it, its value line only the line break, as the library
// strips them; the library's own line reading, a buffer allocated for every
// line, would take much of the time of a large file.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), block_(1 << 16) {}
  bool Next(std::string& text, bool isCode);
  int Count() const { return count_; }

 private:
  std::FILE* file_;
  std::vector<char> block_;
  size_t at_ = 0, end_ = 0;
  int count_ = 0;
};

bool LineReader::Next(std::string& text, bool isCode) {
  text.clear();
  for (;;) {
    if (at_ == end_) {
      at_ = 0;
      end_ = std::fread(block_.data(), 1, block_.size(), file_);
      if (end_ == 0) {
        if (text.empty()) return false;
        break;  // a last line with no line break
      }
    }
    const char* start = block_.data() + at_;
    const auto* stop = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
    if (!stop) {
      text.append(start, end_ - at_);
      at_ = end_;
      continue;
    }
    text.append(start, static_cast<size_t>(stop - start));
    at_ += static_cast<size_t>(stop - start) + 1;
    break;
  }
  ++count_;
  while (!text.empty() && (text.back() == '\r' || (isCode && IsBlank(text.back()))))
    text.pop_back();
  if (isCode) {
    size_t blanks = 0;
    while (blanks < text.size() && IsBlank(text[blanks])) ++blanks;
    text.erase(0, blanks);
  }
  return true;
}

// A whole number, as group codes, counts and flags are: blanks around it
// and a leading plus are allowed, anything else refused.
template <typename Integer>
bool IsInteger(const std::string& text, Integer& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  if (begin < end && *begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  return begin < end && result.ptr == end && result.ec == std::errc();
}

int IntegerOf(const std::string& text) {
  int value = 0;
  return IsInteger(text, value) ? value : 0;
}

std::string AtLine(int line) { return "linha " + std::to_string(line) + ": "; }

// A stream over one group's text, for the library's group reader, set anew
// for each group without copying it.
class GroupBuffer : public std::streambuf {
 public:
  void Set(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
};

// Reads the file's groups and hands them to the library, which decodes the
// unit, the layer table, blocks and entities; its callbacks become the
// containers of DxfReadState.  Around the library, this reading only:
// - reads the file's lines and checks that it is DXF (Run);
// - keeps from the library's decoders the objects and groups that it does
//   not need and that some of them handle unsafely (LibraryDecodes,
//   FeedsGroup), counting the skipped kinds by their 0 group;
// - notes what the library does not pass on (Note, ObjectInfo).
// The library decodes each object when the 0 group of the next one
// arrives, so `finished_` describes the object it is handing over.
class Reader : public DL_CreationAdapter {
 public:
  explicit Reader(DxfReadState& state) : state_(state), container_(&state.model) {}

  bool Run(std::FILE* file, std::string& error);

  void setVariableInt(const std::string& key, int value, int) override;
  void addLayer(const DL_LayerData& data) override;
  void addBlock(const DL_BlockData& data) override;
  void endBlock() override { container_ = &state_.model; }
  void addLine(const DL_LineData& data) override;
  void addArc(const DL_ArcData& data) override;
  void addCircle(const DL_CircleData& data) override;
  void addPolyline(const DL_PolylineData& data) override;
  void addVertex(const DL_VertexData& data) override;
  void endEntity() override { FinishPolyline(); }
  void endSequence() override { FinishPolyline(); }
  void addInsert(const DL_InsertData& data) override;

 private:
  void Feed(int group, const std::string& code, const std::string& value);
  void StartObject(const std::string& code, const std::string& type, int line);
  bool Note(int code, const std::string& value, std::string& error);
  void FinishObject();
  bool InEntitySection() const {
    return section_ == Section::Entities || section_ == Section::Blocks;
  }
  bool LibraryDecodes(const std::string& type) const;
  bool FeedsGroup(int code) const;
  bool Delivered(const char* type) const;
  ObjectInfo DeliveredEntity() const;
  bool Finite(std::initializer_list<double> values);
  void AddWalls(const ObjectInfo& entity, const std::vector<WallSegment>& walls);
  void AddSkipped(const ObjectInfo& entity, const std::string& kind);
  void AddItem(Item item);
  void FinishPolyline();
  int LayerOf(const ObjectInfo& entity);

  DxfReadState& state_;
  Container* container_;
  DL_Dxf dxf_;
  GroupBuffer groupBuffer_;
  std::istream group_{&groupBuffer_};
  std::string groupText_;
  int line_ = 0;
  std::int64_t fileSize_ = 0;
  enum class Section { Other, Header, Tables, Blocks, Entities } section_ = Section::Other;
  std::string headerVariable_;
  bool decoded_ = false;       // the library is given the groups of the current object
  bool libraryIdle_ = false;   // the library holds an object it is given nothing of
  bool lwPolyline_ = false;    // the current object is an LWPOLYLINE
  bool lwVertexSeen_ = false;  // a vertex of the current LWPOLYLINE has begun
  ObjectInfo current_, finished_;
  std::string refusal_;  // why a callback refused the file
  std::vector<WallSegment> pieces_;
  std::string lastLayer_;  // entities in a row are mostly on one layer
  int lastLayerIndex_ = -1;

  struct Vertex {
    double x, y, bulge;
  };
  struct Polyline {
    bool open = false;
    ObjectInfo entity;
    int flags = 0;
    std::vector<Vertex> vertices;
  } polyline_;
};

// Groups reach the library's processDXFGroup, as its own group reader
// hands them on.  That reader also keeps the group where some of the
// library's handlers look instead (an LWPOLYLINE's vertices, a hatch that
// a 0 group ends, extended data), so 0 groups and an LWPOLYLINE's groups
// go through it, on a stream over the group's text.  The other groups, the
// bulk of a large file, go straight to processDXFGroup: the group the
// reader keeps is then their object's 0 group, on which none of those
// handlers acts.
void Reader::Feed(int group, const std::string& code, const std::string& value) {
  if (group != 0 && !lwPolyline_) {
    dxf_.processDXFGroup(this, group, value);
    return;
  }
  groupText_.assign(code).append(1, '\n').append(value).append(1, '\n');
  groupBuffer_.Set(groupText_);
  group_.clear();
  dxf_.readDxfGroups(group_, this);
}

bool Reader::Run(std::FILE* file, std::string& error) {
  std::istringstream nothing;
  dxf_.in(nothing, this);  // only in() sets up the library's reading state
  struct stat st;
  fileSize_ = ::fstat(::fileno(file), &st) == 0 ? st.st_size : 0;
  const std::string notDxf = "não é um arquivo DXF: ";
  LineReader lines(file);
  std::string code, value;
  bool first = true;
  while (lines.Next(code, true)) {
    const int codeLine = lines.Count();
    if (codeLine == 1 && code.compare(0, 3, "\xEF\xBB\xBF") == 0)
      code.erase(0, 3);  // a byte-order mark
    if (!lines.Next(value, false)) break;
    line_ = lines.Count();
    int group = 0;
    if (!IsInteger(code, group)) {
      error = (first ? notDxf : "") + AtLine(codeLine) +
              "em vez de um código de grupo (um número inteiro), o arquivo tem " + ShownWord(code);
      return false;
    }
    if (first && group != 999) {  // comments may come first
      if (group != 0 || value != "SECTION") {
        error = notDxf + "não começa por uma seção (0 SECTION)";
        return false;
      }
      first = false;
    }
    if (group != 0) {
      if (!Note(group, value, error)) return false;
      if (FeedsGroup(group)) Feed(group, code, value);
      continue;
    }
    StartObject(code, value, codeLine);
    if (!refusal_.empty()) {
      error = refusal_;
      return false;
    }
    if (value == "EOF") return true;
  }
  error = first ? notDxf + "o arquivo está vazio"
                : "o arquivo DXF está incompleto: termina na linha " +
                      std::to_string(lines.Count()) + " sem o fim de arquivo (0 EOF)";
  return false;
}

// A 0 group ends the object before it and begins the next.
void Reader::StartObject(const std::string& code, const std::string& type, int line) {
  FinishObject();
  current_ = ObjectInfo();
  current_.type = type;
  current_.line = line;
  decoded_ = LibraryDecodes(type);
  lwPolyline_ = type == "LWPOLYLINE";
  // The library, holding an object it is given nothing of, needs no new one.
  if (decoded_ || !libraryIdle_) Feed(0, code, type);
  libraryIdle_ = !decoded_;
  lwVertexSeen_ = false;
}

// The library is given only the objects it decodes for us: the header's
// unit, the layer table, blocks, and the entities read as walls.  Every
// other object, skipped or counted here, never reaches its decoders, some
// of which trust the counts in the file with their memory.
bool Reader::LibraryDecodes(const std::string& type) const {
  static const char* const structure[] = {"SECTION", "ENDSEC", "EOF",   "TABLE",
                                          "ENDTAB",  "BLOCK",  "ENDBLK"};
  static const char* const entities[] = {"LINE",   "LWPOLYLINE", "POLYLINE", "VERTEX",
                                         "SEQEND", "ARC",        "CIRCLE",   "INSERT"};
  for (const char* t : structure)
    if (type == t) return true;
  if (section_ == Section::Tables) return type == "LAYER";
  if (!InEntitySection()) return false;
  for (const char* t : entities)
    if (type == t) return true;
  return false;
}

bool Reader::FeedsGroup(int code) const {
  if (!decoded_) return false;
  if (section_ == Section::Header && current_.type == "SECTION")
    return code == 2 || headerVariable_ == "$INSUNITS";
  // An LWPOLYLINE's bulge before its first vertex would be stored before
  // the library's vertex array.
  if (code == 42 && lwPolyline_) return lwVertexSeen_;
  return code < 1000;  // extended data is of no use here
}

// Notes the sections, the header variable being read, what an object
// withheld from the library needs to be counted, a VERTEX's flags, and
// checks an LWPOLYLINE's count of vertices before the library trusts it.
bool Reader::Note(int code, const std::string& value, std::string& error) {
  switch (code) {
    case 2:
      if (current_.type == "SECTION") {
        section_ = value == "HEADER"     ? Section::Header
                   : value == "TABLES"   ? Section::Tables
                   : value == "BLOCKS"   ? Section::Blocks
                   : value == "ENTITIES" ? Section::Entities
                                         : Section::Other;
        if (section_ == Section::Entities) container_ = &state_.model;
      }
      break;
    case 8:
      if (!decoded_) current_.layer = value;
      break;
    case 67:
      if (!decoded_) current_.paperSpace = IntegerOf(value) != 0;
      break;
    case 9: headerVariable_ = value; break;
    case 70:
      if (current_.type == "VERTEX") current_.vertexFlags = IntegerOf(value);
      break;
    case 90:
      if (lwPolyline_) {
        // The library makes room for this many vertices at once.
        long long vertices = 0;
        if (!IsInteger(value, vertices) || vertices > fileSize_ / 8) {
          error = AtLine(line_) + "LWPOLYLINE com um número de vértices impossível (" +
                  ShownWord(value) + ")";
          return false;
        }
        lwVertexSeen_ = false;
      }
      break;
    case 10: lwVertexSeen_ = true; break;
    default: break;
  }
  return true;
}

// Counts an entity withheld from the library; those it decodes come back
// through its callbacks.
void Reader::FinishObject() {
  finished_ = std::move(current_);
  if (decoded_ || !InEntitySection() || finished_.type.empty()) return;
  if (!(finished_.paperSpace && container_ == &state_.model)) AddSkipped(finished_, finished_.type);
}

// The library hands over an entity of this kind in model space or a block.
bool Reader::Delivered(const char* type) const {
  return finished_.type == type && InEntitySection() &&
         !(attributes.isInPaperSpace() && container_ == &state_.model);
}

// The entity the library hands over, with the layer and extrusion it read.
ObjectInfo Reader::DeliveredEntity() const {
  ObjectInfo entity = finished_;
  entity.layer = attributes.getLayer();
  extrusion->getDirection(entity.normal);
  return entity;
}

// The library's conversion gives the largest double for a number too large
// for one (and 0 for text that is no number): such a value, like one that
// is not finite, refuses the file.
bool Reader::Finite(std::initializer_list<double> values) {
  for (double value : values) {
    if (!std::isfinite(value) || std::fabs(value) == std::numeric_limits<double>::max()) {
      refusal_ = AtLine(finished_.line) + finished_.type +
                 " com uma coordenada que não é um número finito";
      return false;
    }
  }
  return true;
}

void Reader::AddItem(Item item) {
  std::vector<Item>& items = container_->items;
  // Consecutive walls on one layer share an item: a million LINEs make one.
  if (item.kind == ItemKind::Walls && !items.empty() && items.back().kind == ItemKind::Walls &&
      items.back().layer == item.layer) {
    items.back().count += item.count;
    items.back().entities += item.entities;
    return;
  }
  items.push_back(item);
}

// An entity that gives no wall (a LINE of no length, a circle of no
// radius) is counted with the skipped ones.  A LINE has world coordinates
// whatever its extrusion.
void Reader::AddWalls(const ObjectInfo& entity, const std::vector<WallSegment>& walls) {
  if (walls.empty()) {
    AddSkipped(entity, entity.type);
    return;
  }
  Item item;
  item.layer = LayerOf(entity);
  item.first = container_->segments.size();
  item.count = walls.size();
  Affine2D plane;
  const bool flat =
      entity.type == "LINE" || !PlaneToWorld(entity.normal, plane) || IsIdentity(plane);
  for (const WallSegment& wall : walls)
    container_->segments.push_back(flat ? wall : Mapped(plane, wall));
  AddItem(item);
}

int Reader::LayerOf(const ObjectInfo& entity) {
  if (lastLayerIndex_ < 0 || entity.layer != lastLayer_) {
    lastLayer_ = entity.layer;
    lastLayerIndex_ = state_.LayerIndex(entity.layer);
  }
  return lastLayerIndex_;
}

void Reader::AddSkipped(const ObjectInfo& entity, const std::string& kind) {
  Item item;
  item.kind = ItemKind::Skipped;
  item.layer = LayerOf(entity);
  item.ref = state_.KindIndex(kind);
  AddItem(item);
}

void Reader::setVariableInt(const std::string& key, int value, int) {
  if (key != "$INSUNITS") return;
  state_.unit.code = value;
  state_.unit.given = &UnitOf(value) != &kMetres;
  state_.scale = UnitOf(value);
  state_.unit.name = state_.scale.name;
}

// A layer is switched off by a negative colour.
void Reader::addLayer(const DL_LayerData& data) {
  DxfLayer& layer = state_.layers[state_.LayerIndex(data.name)];
  layer.frozen = (data.flags & 1) != 0;
  layer.off = attributes.getColor() < 0;
}

void Reader::addBlock(const DL_BlockData& data) {
  if (!Finite({data.bpx, data.bpy})) return;
  container_ = &state_.blocks[Upper(data.name)];
  *container_ = Container();
  container_->base = {data.bpx, data.bpy};
  container_->external = (data.flags & 4) != 0;
}

void Reader::addLine(const DL_LineData& data) {
  if (!Delivered("LINE") || !Finite({data.x1, data.y1, data.x2, data.y2})) return;
  pieces_.clear();
  AddSegment(pieces_, {data.x1, data.y1}, {data.x2, data.y2});
  AddWalls(DeliveredEntity(), pieces_);
}

void Reader::addArc(const DL_ArcData& data) {
  if (!Delivered("ARC") || !Finite({data.cx, data.cy, data.radius, data.angle1, data.angle2}))
    return;
  pieces_.clear();
  if (data.radius > 0) {
    double sweep = std::fmod(data.angle2 - data.angle1, 360.0);
    if (sweep <= 0) sweep += 360;
    const DxfPoint centre = {data.cx, data.cy};
    AddArc(pieces_, centre, data.radius, data.angle1, sweep,
           OnCircle(centre, data.radius, data.angle1), OnCircle(centre, data.radius, data.angle2));
  }
  AddWalls(DeliveredEntity(), pieces_);
}

void Reader::addCircle(const DL_CircleData& data) {
  if (!Delivered("CIRCLE") || !Finite({data.cx, data.cy, data.radius})) return;
  pieces_.clear();
  const DxfPoint centre = {data.cx, data.cy};
  if (data.radius > 0) {
    const DxfPoint start = OnCircle(centre, data.radius, 0);
    AddArc(pieces_, centre, data.radius, 0, 360, start, start);
  }
  AddWalls(DeliveredEntity(), pieces_);
}

void Reader::addPolyline(const DL_PolylineData& data) {
  FinishPolyline();
  if (!Delivered("LWPOLYLINE") && !Delivered("POLYLINE")) return;
  polyline_.open = true;
  polyline_.entity = DeliveredEntity();
  polyline_.flags = data.flags;
  polyline_.vertices.clear();
}

void Reader::addVertex(const DL_VertexData& data) {
  if (!polyline_.open) return;
  // The control points of a spline-fitted POLYLINE are no part of its shape.
  if (finished_.type == "VERTEX" && (finished_.vertexFlags & 16)) return;
  if (!Finite({data.x, data.y, data.bulge})) return;
  polyline_.vertices.push_back({data.x, data.y, data.bulge});
}

void Reader::FinishPolyline() {
  if (!polyline_.open) return;
  polyline_.open = false;
  const int flags = polyline_.flags;
  if (flags & (16 | 64)) {  // polygon and polyface meshes
    AddSkipped(polyline_.entity, "POLYLINE (malha)");
    return;
  }
  const std::vector<Vertex>& v = polyline_.vertices;
  const bool closed = (flags & 1) && v.size() > 2;
  pieces_.clear();
  for (size_t i = 0; i + 1 < v.size() + (closed ? 1 : 0); ++i) {
    const Vertex& from = v[i];
    const Vertex& to = v[(i + 1) % v.size()];
    AddBulgeSegment(pieces_, {from.x, from.y}, {to.x, to.y}, from.bulge);
  }
  ObjectInfo& entity = polyline_.entity;
  if (flags & 8) {  // a 3-D polyline has world coordinates
    entity.normal[0] = entity.normal[1] = 0;
    entity.normal[2] = 1;
  }
  AddWalls(entity, pieces_);
}

void Reader::addInsert(const DL_InsertData& data) {
  if (!Delivered("INSERT") || !Finite({data.ipx, data.ipy, data.sx, data.sy, data.angle,
                                       data.colSp, data.rowSp}))
    return;
  InsertRef insert;
  insert.block = Upper(data.name);
  insert.x = data.ipx;
  insert.y = data.ipy;
  insert.scaleX = data.sx;
  insert.scaleY = data.sy;
  insert.angle = data.angle;
  insert.columns = std::max(1, data.cols);
  insert.rows = std::max(1, data.rows);
  insert.columnSpacing = data.colSp;
  insert.rowSpacing = data.rowSp;
  const ObjectInfo entity = DeliveredEntity();
  if (!PlaneToWorld(entity.normal, insert.plane)) insert.plane.reset();
  insert.line = entity.line;
  Item item;
  item.kind = ItemKind::Insert;
  item.layer = LayerOf(entity);
  item.ref = state_.inserts.size();
  state_.inserts.push_back(insert);
  AddItem(item);
}

// ---- Choosing layers ----------------------------------------------------------

// Walks the model space and, through INSERTs, the blocks, collecting the
// walls on kept layers.
class Expander {
 public:
  Expander(const DxfReadState& state, const std::vector<char>& kept, DxfWalls& out)
      : state_(state), kept_(kept), out_(out) {
    const auto zero = state.layerIndex.find("0");
    layerZero_ = zero == state.layerIndex.end() ? -1 : zero->second;
  }

  bool Expand(const Container& container, const Affine2D* placement, int inherited,
              std::string& error);
  std::map<std::string, int> skipped;

 private:
  bool ExpandInsert(const InsertRef& insert, const Affine2D* placement, int layer,
                    std::string& error);

  const DxfReadState& state_;
  const std::vector<char>& kept_;
  DxfWalls& out_;
  int layerZero_;
  double copies_ = 0;                   // of blocks placed so far
  std::vector<const Container*> open_;  // the blocks being expanded, outermost first
};

bool Expander::Expand(const Container& container, const Affine2D* placement, int inherited,
                      std::string& error) {
  for (const Item& item : container.items) {
    const int layer = item.layer == layerZero_ && inherited >= 0 ? inherited : item.layer;
    const bool kept = kept_[layer] != 0;
    if (item.kind == ItemKind::Walls) {
      if (!kept) {
        out_.hidden += item.entities;
        continue;
      }
      if (out_.walls.size() + item.count > kMostWalls) {
        error = "o desenho passa de " + std::to_string(kMostWalls) + " paredes";
        return false;
      }
      const auto first = container.segments.begin() + static_cast<std::ptrdiff_t>(item.first);
      for (auto s = first; s != first + static_cast<std::ptrdiff_t>(item.count); ++s)
        out_.walls.push_back(placement ? Mapped(*placement, *s) : *s);
    } else if (item.kind == ItemKind::Skipped) {
      if (kept)
        ++skipped[state_.kinds[item.ref]];
      else
        ++out_.hidden;
    } else if (!kept && state_.layers[layer].frozen) {
      ++out_.hidden;  // a frozen INSERT hides all it holds
    } else if (!ExpandInsert(state_.inserts[item.ref], placement, layer, error)) {
      return false;
    }
  }
  return true;
}

bool Expander::ExpandInsert(const InsertRef& insert, const Affine2D* placement, int layer,
                            std::string& error) {
  const auto found = state_.blocks.find(insert.block);
  if (found == state_.blocks.end()) {
    if (kept_[layer]) ++skipped["INSERT (bloco inexistente)"];
    return true;
  }
  const Container& block = found->second;
  if (block.external) {  // its content is in another file
    if (kept_[layer]) ++skipped["INSERT (referência externa)"];
    return true;
  }
  if (std::find(open_.begin(), open_.end(), &block) != open_.end()) {
    error = AtLine(insert.line) + "o bloco \"" + insert.block + "\" insere a si mesmo";
    return false;
  }
  if (open_.size() >= static_cast<size_t>(kDeepestNesting)) {
    error = AtLine(insert.line) + "blocos dentro de blocos a mais de " +
            std::to_string(kDeepestNesting) + " níveis";
    return false;
  }
  // Blocks that insert others a few times each, a few levels deep, would
  // take forever even with no wall in them.
  copies_ += static_cast<double>(insert.columns) * insert.rows;
  if (copies_ > kMostWalls) {
    error = AtLine(insert.line) + "os blocos inserem-se uns nos outros vezes demais";
    return false;
  }
  open_.push_back(&block);
  for (int row = 0; row < insert.rows; ++row) {
    for (int column = 0; column < insert.columns; ++column) {
      const Affine2D own = Placement(insert, block.base, column, row);
      const Affine2D whole = placement ? Compose(*placement, own) : own;
      if (!Expand(block, &whole, layer, error)) return false;
    }
  }
  open_.pop_back();
  return true;
}

bool AllFinite(const std::vector<WallSegment>& walls) {
  for (const WallSegment& w : walls)
    if (!std::isfinite(w.x0) || !std::isfinite(w.y0) || !std::isfinite(w.x1) ||
        !std::isfinite(w.y1))
      return false;
  return true;
}

const char kBinarySentinel[] = "AutoCAD Binary DXF";

bool OpenPlanFile(const std::string& path, std::FILE*& file, std::string& error) {
  file = OpenRegularFile(path, error);
  if (!file) return false;
  char start[sizeof kBinarySentinel - 1] = {};
  const size_t got = std::fread(start, 1, sizeof start, file);
  if (got == sizeof start && std::memcmp(start, kBinarySentinel, sizeof start) == 0) {
    error = "é um DXF binário, que não pode ser lido: salve-o como DXF de texto (ASCII)";
    std::fclose(file);
    return false;
  }
  std::rewind(file);
  return true;
}

}  // namespace

// ---- Interface ----------------------------------------------------------------------

std::string DxfWalls::SkippedSummary() const {
  std::string text;
  for (const auto& kind : skipped) {
    if (!text.empty()) text += ", ";
    text += std::to_string(kind.second) + " " + kind.first;
  }
  return text;
}

DxfPlan::DxfPlan() : state_(std::make_unique<DxfReadState>()) {}
DxfPlan::~DxfPlan() = default;
DxfPlan::DxfPlan(DxfPlan&&) noexcept = default;
DxfPlan& DxfPlan::operator=(DxfPlan&&) noexcept = default;

const std::vector<DxfLayer>& DxfPlan::Layers() const { return state_->layers; }
const DxfUnit& DxfPlan::Unit() const { return state_->unit; }

bool DxfPlan::Read(const std::string& path, std::string& error) {
  std::FILE* file = nullptr;
  if (!OpenPlanFile(path, file, error)) return false;
  auto state = std::make_unique<DxfReadState>();
  bool ok = false;
  try {
    Reader reader(*state);
    ok = reader.Run(file, error);
  } catch (const std::bad_alloc&) {
    error = "memória insuficiente para ler o arquivo";
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = std::strerror(EIO);
    return false;
  }
  if (!ok) return false;
  if (!state->unit.given) state->unit.name = "metros";
  state_ = std::move(state);
  return true;
}

// Which layers are kept, by index; false with a message for a name the
// file does not have.
bool KeptLayers(const DxfReadState& state, const std::vector<std::string>& keep,
                std::vector<char>& kept, std::string& error) {
  kept.assign(state.layers.size(), 0);
  for (size_t i = 0; i < kept.size(); ++i) kept[i] = keep.empty() && state.layers[i].Visible();
  for (const std::string& name : keep) {
    const auto found = state.layerIndex.find(Upper(name));
    if (found == state.layerIndex.end()) {
      error = "o arquivo não tem a camada \"" + name + "\"";
      return false;
    }
    kept[found->second] = 1;
  }
  return true;
}

void ConvertToMetres(const UnitEntry& unit, std::vector<WallSegment>& walls) {
  if (unit.times == 1 && unit.per == 1) return;
  for (WallSegment& w : walls)
    for (double* v : {&w.x0, &w.y0, &w.x1, &w.y1}) *v = *v * unit.times / unit.per;
}

std::string HiddenText(int hidden) {
  return std::to_string(hidden) + (hidden == 1 ? " entidade" : " entidades") +
         " em camadas ocultas ou não escolhidas";
}

bool DxfPlan::Walls(const std::vector<std::string>& keep, DxfWalls& out, std::string& error) const {
  std::vector<char> kept;
  if (!KeptLayers(*state_, keep, kept, error)) return false;
  DxfWalls walls;
  Expander expander(*state_, kept, walls);
  try {
    if (!expander.Expand(state_->model, nullptr, -1, error)) return false;
  } catch (const std::bad_alloc&) {
    error = "memória insuficiente para as paredes do arquivo";
    return false;
  }
  ConvertToMetres(state_->scale, walls.walls);
  if (!AllFinite(walls.walls)) {
    error =
        "há coordenadas grandes demais depois das escalas dos blocos ou da conversão para metros";
    return false;
  }
  walls.skipped.assign(expander.skipped.begin(), expander.skipped.end());
  std::stable_sort(walls.skipped.begin(), walls.skipped.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  if (walls.walls.empty()) {
    error =
        "nenhuma parede: nas camadas lidas não há LINE, LWPOLYLINE, POLYLINE, ARC, CIRCLE nem "
        "INSERT que as forme";
    if (!walls.skipped.empty()) error += "; ignorados: " + walls.SkippedSummary();
    if (walls.hidden > 0) error += "; " + HiddenText(walls.hidden);
    return false;
  }
  out = std::move(walls);
  return true;
}

std::string DxfPlan::Summary(const DxfWalls& walls) const {
  const size_t count = walls.walls.size();
  std::string text = std::to_string(count) + (count == 1 ? " parede" : " paredes");
  text += Unit().given ? ", em " + Unit().name : "; o arquivo não indica a unidade: lido em metros";
  if (!walls.skipped.empty()) text += "; ignorados: " + walls.SkippedSummary();
  if (walls.hidden > 0) text += "; " + HiddenText(walls.hidden);
  return text;
}

bool ReadDxfFile(const std::string& path, const std::vector<std::string>& keep, DxfWalls& out,
                 std::string& error) {
  DxfPlan plan;
  return plan.Read(path, error) && plan.Walls(keep, out, error);
}

bool IsDxfPath(const std::string& path) {
  return path.size() > 4 && Upper(path.substr(path.size() - 4)) == ".DXF";
}
