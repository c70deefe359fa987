// DXF plans through dxflib.  The library splits the file into groups and
// decodes its header, layer table, blocks and entities; what it hands over
// is turned into wall segments here, in the units of the file, kept per
// block, and expanded into metres once the layers are chosen.
#include "model/dxf_file.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <sstream>
#include <type_traits>
#include <unordered_map>

#include "model/affine.h"
#include "model/atomic_file.h"
#include "model/drawing_file.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// An arc piece spans at most 15 degrees and is at most a tenth of the
// radius long; the second bound is the tighter (about 5.7 degrees).
const double kWidestPiece = std::min(15.0, 2 * std::asin(0.05) * 180 / kPi);
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

// ---- Plane geometry ---------------------------------------------------------------

struct Point {
  double x = 0, y = 0;
};

// Exact for multiples of 90 degrees, so that quarter arcs and rotated
// blocks keep walls that were horizontal or vertical exactly so.
void CosSinDegrees(double degrees, double& c, double& s) {
  double turn = std::fmod(degrees, 360.0);
  if (turn < 0) turn += 360;
  if (turn == 0) c = 1, s = 0;
  else if (turn == 90) c = 0, s = 1;
  else if (turn == 180) c = -1, s = 0;
  else if (turn == 270) c = 0, s = -1;
  else c = std::cos(turn * kPi / 180), s = std::sin(turn * kPi / 180);
}

Point OnCircle(Point centre, double radius, double degrees) {
  double c, s;
  CosSinDegrees(degrees, c, s);
  return {centre.x + radius * c, centre.y + radius * s};
}

// A segment of no length is no wall.
void AddSegment(std::vector<WallSegment>& out, Point from, Point to) {
  if (from.x == to.x && from.y == to.y) return;
  out.push_back({from.x, from.y, to.x, to.y});
}

// The arc about `centre` from `from` (at `start` degrees) through `sweep`
// degrees (counter-clockwise when positive) to `to`, as straight pieces.
void AddArc(std::vector<WallSegment>& out, Point centre, double radius, double start, double sweep,
            Point from, Point to) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / kWidestPiece)));
  Point previous = from;
  for (int i = 1; i <= pieces; ++i) {
    const Point next = i == pieces ? to : OnCircle(centre, radius, start + sweep * i / pieces);
    AddSegment(out, previous, next);
    previous = next;
  }
}

// A polyline segment from `from` to `to` with the given bulge: the tangent
// of a quarter of the arc's angle, positive counter-clockwise.
void AddBulgeSegment(std::vector<WallSegment>& out, Point from, Point to, double bulge) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double chord = std::hypot(dx, dy);
  if (bulge == 0 || chord == 0 || !std::isfinite(bulge)) {
    AddSegment(out, from, to);
    return;
  }
  const double angle = 4 * std::atan(bulge);
  const double radius = chord / (2 * std::fabs(std::sin(angle / 2)));
  const double offset = chord / 2 / std::tan(angle / 2);  // from the chord's middle, to its left
  const Point centre = {(from.x + to.x) / 2 - dy / chord * offset,
                        (from.y + to.y) / 2 + dx / chord * offset};
  const double start = std::atan2(from.y - centre.y, from.x - centre.x) * 180 / kPi;
  AddArc(out, centre, radius, start, angle * 180 / kPi, from, to);
}

// The plane of an entity (its extrusion direction) seen from above: the
// arbitrary-axis rule gives the entity's x and y axes in the world.  The
// usual (0, 0, 1) is the identity and (0, 0, -1) mirrors x.
bool PlaneToWorld(const double normal[3], Affine2D& m) {
  const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (!(length > 0) || !std::isfinite(length)) return false;
  const double n[3] = {normal[0] / length, normal[1] / length, normal[2] / length};
  double ax[3];
  if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64) {
    ax[0] = n[2], ax[1] = 0, ax[2] = -n[0];  // world y cross n
  } else {
    ax[0] = -n[1], ax[1] = n[0], ax[2] = 0;  // world z cross n
  }
  const double axLength = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
  for (double& v : ax) v /= axLength;
  const double ay[3] = {n[1] * ax[2] - n[2] * ax[1], n[2] * ax[0] - n[0] * ax[2],
                        n[0] * ax[1] - n[1] * ax[0]};
  m.set(ax[0], ay[0], 0, ax[1], ay[1], 0);
  return true;
}

bool IsIdentity(const Affine2D& m) {
  return m.a == 1 && m.b == 0 && m.c == 0 && m.d == 0 && m.e == 1 && m.f == 0;
}

WallSegment Mapped(const Affine2D& m, WallSegment s) {
  m.apply(s.x0, s.y0);
  m.apply(s.x1, s.y1);
  return s;
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
  Point base;  // a block's base point: the point placed at the insertion point
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
Affine2D Placement(const InsertRef& insert, Point base, int column, int row) {
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

// What the groups of one object (a table record, a block or an entity)
// tell beyond what the library passes on.
struct ObjectInfo {
  std::string type;  // the value of its 0 group
  int line = 0;      // the line of that group
  std::string layer = "0";
  bool paperSpace = false;
  int flags = 0;  // group 70
  int color = 0;  // group 62: a layer is off when negative
  double normal[3] = {0, 0, 1};
  double ends[4] = {};  // a LINE's x0, y0, x1, y1
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The lines of a file, read in large blocks.  A group's code line loses the
// blanks around it, its value line only the line break, as the library
// strips them; the library's own line reading, a buffer allocated for every
// line, would take most of the time of a large file.
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
  while (!text.empty() && (text.back() == '\r' || (isCode && IsBlank(text.back())))) text.pop_back();
  if (isCode) {
    size_t blanks = 0;
    while (blanks < text.size() && IsBlank(text[blanks])) ++blanks;
    text.erase(0, blanks);
  }
  return true;
}

// The text of a number without the blanks around it and a leading plus.
std::pair<const char*, const char*> NumberText(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  if (begin < end && *begin == '+') ++begin;
  return {begin, end};
}

// Whole numbers only: a value with anything else in it is refused.  A real
// out of range is infinite or zero, as strtod makes it.
template <typename Number>
bool IsNumber(const std::string& text, Number& value) {
  const auto [begin, end] = NumberText(text);
  const auto result = std::from_chars(begin, end, value);
  if (begin == end || result.ptr != end) return false;
  if constexpr (std::is_floating_point_v<Number>) {
    if (result.ec == std::errc::result_out_of_range) value = std::strtod(std::string(begin, end).c_str(), nullptr);
    return result.ec == std::errc() || result.ec == std::errc::result_out_of_range;
  }
  return result.ec == std::errc();
}

int IntegerOf(const std::string& text) {
  int value = 0;
  return IsNumber(text, value) ? value : 0;
}

std::string AtLine(int line) { return "linha " + std::to_string(line) + ": "; }


// Turns the library's callbacks into the containers of DxfReadState.  The
// groups of the file are read here one by one, checked, and handed to the
// library, which decodes each object when the 0 group of the next one
// arrives; so `finished_` describes the object the library is handing over.
//
// LINE entities, the bulk of a large plan, are the exception: the library
// converts every number through a string stream, which takes seconds for a
// million lines, so their four coordinates are taken here and the library
// sees only their 0 group.
class Reader : public DL_CreationAdapter {
 public:
  explicit Reader(DxfReadState& state) : state_(state), container_(&state.model) {}

  bool Run(std::FILE* file, std::string& error);

  void setVariableInt(const std::string& key, int value, int) override;
  void addLayer(const DL_LayerData& data) override;
  void addBlock(const DL_BlockData& data) override;
  void endBlock() override { container_ = &state_.model; }
  void addArc(const DL_ArcData& data) override;
  void addCircle(const DL_CircleData& data) override;
  void addPolyline(const DL_PolylineData& data) override;
  void addVertex(const DL_VertexData& data) override;
  void endEntity() override { FinishPolyline(); }
  void endSequence() override { FinishPolyline(); }
  void addInsert(const DL_InsertData& data) override;

 private:
  void Feed(const std::string& code, const std::string& value);
  void StartObject(const std::string& code, const std::string& type, int line);
  bool Note(int code, const std::string& value, std::string& error);
  void FinishObject();
  bool InEntitySection() const { return entitySection_; }
  bool Delivered(const char* type) const;
  void AddWalls(const ObjectInfo& entity, const std::vector<WallSegment>& walls);
  void AddSkipped(const ObjectInfo& entity, const std::string& kind);
  void AddItem(Item item);
  void FinishPolyline();
  int LayerOf(const ObjectInfo& entity);

  DxfReadState& state_;
  Container* container_;
  DL_Dxf dxf_;
  std::stringbuf groupText_;
  std::istream group_{&groupText_};  // one group at a time, for the library
  std::string groupBuffer_;
  int line_ = 0;
  bool entitySection_ = false;  // in ENTITIES or BLOCKS
  bool lineBody_ = false;       // reading the groups of a LINE entity
  bool libraryHoldsLine_ = false;  // the last group the library saw began a LINE
  ObjectInfo current_, finished_;
  std::vector<WallSegment> linePieces_;
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


void Reader::Feed(const std::string& code, const std::string& value) {
  groupBuffer_.assign(code).append(1, '\n').append(value).append(1, '\n');
  groupText_.str(groupBuffer_);
  group_.clear();
  dxf_.readDxfGroups(group_, this);
}

bool Reader::Run(std::FILE* file, std::string& error) {
  std::istringstream nothing;
  dxf_.in(nothing, this);  // only in() sets up the library's reading state
  const std::string notDxf = "não é um arquivo DXF: ";
  LineReader lines(file);
  std::string code, value;
  bool first = true;
  while (lines.Next(code, true)) {
    const int codeLine = lines.Count();
    if (codeLine == 1 && code.compare(0, 3, "\xEF\xBB\xBF") == 0) code.erase(0, 3);  // a byte-order mark
    if (!lines.Next(value, false)) break;
    line_ = lines.Count();
    int group = 0;
    if (!IsNumber(code, group)) {
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
      if (!lineBody_) Feed(code, value);
      continue;
    }
    StartObject(code, value, codeLine);
    if (value == "EOF") return true;
  }
  error = first ? notDxf + "o arquivo está vazio"
                : "o arquivo DXF está incompleto: termina na linha " + std::to_string(lines.Count()) +
                      " sem o fim de arquivo (0 EOF)";
  return false;
}

// A 0 group ends the object before it and begins the next.
void Reader::StartObject(const std::string& code, const std::string& type, int line) {
  FinishObject();
  current_ = ObjectInfo();
  current_.type = type;
  current_.line = line;
  lineBody_ = entitySection_ && type == "LINE";
  // The library, holding a LINE it is given nothing of, needs no new one.
  if (!(lineBody_ && libraryHoldsLine_)) Feed(code, type);
  libraryHoldsLine_ = lineBody_;
}

// Keeps what the library does not pass on, and a LINE's coordinates.
bool Reader::Note(int code, const std::string& value, std::string& error) {
  switch (code) {
    case 2:
      if (current_.type == "SECTION") {
        entitySection_ = value == "ENTITIES" || value == "BLOCKS";
        if (value == "ENTITIES") container_ = &state_.model;
      }
      break;
    case 8: current_.layer = value; break;
    case 62: current_.color = IntegerOf(value); break;
    case 67: current_.paperSpace = IntegerOf(value) != 0; break;
    case 70: current_.flags = IntegerOf(value); break;
    case 210: case 220: case 230: IsNumber(value, current_.normal[code / 10 - 21]); break;
    case 10: case 20: case 11: case 21:
      if (lineBody_) {
        double& end = current_.ends[(code % 10) * 2 + code / 20];
        if (!IsNumber(value, end)) {
          error = AtLine(line_) + "em vez de uma coordenada, o arquivo tem " + ShownWord(value);
          return false;
        }
        if (!std::isfinite(end)) {
          error = AtLine(line_) + "coordenada que não é um número finito";
          return false;
        }
      }
      break;
    default: break;
  }
  return true;
}

// The entities read as walls, and the structure of the file, which is not
// an entity at all.
bool IsReadOrStructure(const std::string& type) {
  static const char* const kinds[] = {"LINE", "LWPOLYLINE", "POLYLINE", "VERTEX", "SEQEND", "ARC",
                                      "CIRCLE", "INSERT", "BLOCK", "ENDBLK", "ENDSEC", "SECTION", "EOF"};
  for (const char* kind : kinds)
    if (type == kind) return true;
  return false;
}

void Reader::FinishObject() {
  finished_ = std::move(current_);
  if (!InEntitySection() || finished_.type.empty()) return;
  if (finished_.paperSpace && container_ == &state_.model) return;
  if (finished_.type == "LINE") {
    const double* e = finished_.ends;
    linePieces_.clear();
    AddSegment(linePieces_, {e[0], e[1]}, {e[2], e[3]});
    AddWalls(finished_, linePieces_);
  } else if (!IsReadOrStructure(finished_.type)) {
    AddSkipped(finished_, finished_.type);
  }
}

bool Reader::Delivered(const char* type) const {
  return finished_.type == type && InEntitySection() &&
         !(finished_.paperSpace && container_ == &state_.model);
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
// radius) is counted with the skipped ones.
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
  const bool flat = entity.type == "LINE" || !PlaneToWorld(entity.normal, plane) || IsIdentity(plane);
  for (const WallSegment& wall : walls) container_->segments.push_back(flat ? wall : Mapped(plane, wall));
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

void Reader::addLayer(const DL_LayerData& data) {
  DxfLayer& layer = state_.layers[state_.LayerIndex(data.name)];
  layer.frozen = (data.flags & 1) != 0;
  layer.off = finished_.type == "LAYER" && finished_.color < 0;
}

void Reader::addBlock(const DL_BlockData& data) {
  container_ = &state_.blocks[Upper(data.name)];
  *container_ = Container();
  container_->base = {data.bpx, data.bpy};
}

void Reader::addArc(const DL_ArcData& data) {
  if (!Delivered("ARC")) return;
  std::vector<WallSegment> walls;
  if (data.radius > 0) {
    double sweep = std::fmod(data.angle2 - data.angle1, 360.0);
    if (sweep <= 0) sweep += 360;
    const Point centre = {data.cx, data.cy};
    AddArc(walls, centre, data.radius, data.angle1, sweep, OnCircle(centre, data.radius, data.angle1),
           OnCircle(centre, data.radius, data.angle2));
  }
  AddWalls(finished_, walls);
}

void Reader::addCircle(const DL_CircleData& data) {
  if (!Delivered("CIRCLE")) return;
  std::vector<WallSegment> walls;
  const Point centre = {data.cx, data.cy};
  if (data.radius > 0) {
    const Point start = OnCircle(centre, data.radius, 0);
    AddArc(walls, centre, data.radius, 0, 360, start, start);
  }
  AddWalls(finished_, walls);
}

void Reader::addPolyline(const DL_PolylineData& data) {
  FinishPolyline();
  if (!Delivered("LWPOLYLINE") && !Delivered("POLYLINE")) return;
  polyline_.open = true;
  polyline_.entity = finished_;
  polyline_.flags = data.flags;
  polyline_.vertices.clear();
}

void Reader::addVertex(const DL_VertexData& data) {
  if (!polyline_.open) return;
  // The control points of a spline-fitted POLYLINE are no part of its shape.
  if (finished_.type == "VERTEX" && (finished_.flags & 16)) return;
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
  std::vector<WallSegment> walls;
  for (size_t i = 0; i + 1 < v.size() + (closed ? 1 : 0); ++i) {
    const Vertex& from = v[i];
    const Vertex& to = v[(i + 1) % v.size()];
    AddBulgeSegment(walls, {from.x, from.y}, {to.x, to.y}, from.bulge);
  }
  ObjectInfo entity = polyline_.entity;
  if (flags & 8) {  // a 3-D polyline has world coordinates
    entity.normal[0] = entity.normal[1] = 0;
    entity.normal[2] = 1;
  }
  AddWalls(entity, walls);
}

void Reader::addInsert(const DL_InsertData& data) {
  if (!Delivered("INSERT")) return;
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
  if (!PlaneToWorld(finished_.normal, insert.plane)) insert.plane.reset();
  insert.line = finished_.line;
  Item item;
  item.kind = ItemKind::Insert;
  item.layer = LayerOf(finished_);
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
      if (kept) ++skipped[state_.kinds[item.ref]];
      else ++out_.hidden;
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
  if (std::find(open_.begin(), open_.end(), &block) != open_.end() ||
      open_.size() >= static_cast<size_t>(kDeepestNesting)) {
    error = AtLine(insert.line) + "o bloco \"" + insert.block + "\" insere a si mesmo";
    return false;
  }
  if (static_cast<double>(insert.columns) * insert.rows > kMostWalls) {
    error = AtLine(insert.line) + "o INSERT repete o bloco vezes demais";
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
    if (!std::isfinite(w.x0) || !std::isfinite(w.y0) || !std::isfinite(w.x1) || !std::isfinite(w.y1))
      return false;
  return true;
}

// ---- Writing ----------------------------------------------------------------------

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
  void dxfInt(int code, int value) const override { std::fprintf(file_, "%3d\n%6d\n", code, value); }
  void dxfHex(int code, int value) const override {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    dxfString(code, text);
  }
  void dxfString(int code, const char* value) const override {
    std::fprintf(file_, "%3d\n%s\n", code, value);
  }
  void dxfString(int code, const std::string& value) const override { dxfString(code, value.c_str()); }

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
  for (const WallSegment& s : walls) dxf.writeLine(w, DL_LineData(s.x0, s.y0, 0, s.x1, s.y1, 0), wallLook);
  w.sectionEnd();
  dxf.writeObjects(w);
  dxf.writeObjectsEnd(w);
  w.dxfEOF();
  return true;
}

const char kBinarySentinel[] = "AutoCAD Binary DXF";

bool OpenPlanFile(const std::string& path, std::FILE*& file, std::string& error) {
  file = std::fopen(path.c_str(), "r");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  struct stat st;
  if (::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "é uma pasta, não um arquivo" : "não é um arquivo comum";
    std::fclose(file);
    return false;
  }
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

bool DxfPlan::Walls(const std::vector<std::string>& keep, DxfWalls& out, std::string& error) const {
  const DxfReadState& state = *state_;
  std::vector<char> kept(state.layers.size(), 0);
  for (size_t i = 0; i < kept.size(); ++i) kept[i] = keep.empty() && state.layers[i].Visible();
  for (const std::string& name : keep) {
    const auto found = state.layerIndex.find(Upper(name));
    if (found == state.layerIndex.end()) {
      error = "o arquivo não tem a camada \"" + name + "\"";
      return false;
    }
    kept[found->second] = 1;
  }
  DxfWalls walls;
  Expander expander(state, kept, walls);
  try {
    if (!expander.Expand(state.model, nullptr, -1, error)) return false;
  } catch (const std::bad_alloc&) {
    error = "memória insuficiente para as paredes do arquivo";
    return false;
  }
  const UnitEntry& unit = state.scale;
  if (unit.times != 1 || unit.per != 1) {
    for (WallSegment& w : walls.walls)
      for (double* v : {&w.x0, &w.y0, &w.x1, &w.y1}) *v = *v * unit.times / unit.per;
  }
  if (!AllFinite(walls.walls)) {
    error = "há coordenadas grandes demais depois das escalas dos blocos ou da conversão para metros";
    return false;
  }
  walls.skipped.assign(expander.skipped.begin(), expander.skipped.end());
  std::stable_sort(walls.skipped.begin(), walls.skipped.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  if (walls.walls.empty()) {
    error = "nenhuma parede: nas camadas lidas não há LINE, LWPOLYLINE, POLYLINE, ARC, CIRCLE nem INSERT que as forme";
    if (!walls.skipped.empty()) error += "; ignorados: " + walls.SkippedSummary();
    if (walls.hidden > 0) error += "; " + std::to_string(walls.hidden) + " entidades em camadas ocultas ou não escolhidas";
    return false;
  }
  out = std::move(walls);
  return true;
}

bool ReadDxfFile(const std::string& path, const std::vector<std::string>& keep, DxfWalls& out,
                 std::string& error) {
  DxfPlan plan;
  return plan.Read(path, error) && plan.Walls(keep, out, error);
}

bool WriteDxfFile(const std::string& path, const std::vector<WallSegment>& walls, std::string& error) {
  return WriteFileAtomically(
      path, [&walls](std::FILE* file) { return WriteWalls(file, walls); }, error);
}

bool IsDxfPath(const std::string& path) {
  return path.size() > 4 && Upper(path.substr(path.size() - 4)) == ".DXF";
}
