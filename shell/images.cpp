#include "shell/images.h"

#include <map>

#include "toolkit/toolkit.h"

namespace shell {

namespace {

// Characters used in the pictures below:
//   k black   d dark grey   l light grey   w white   . button background
//   b blue    g green       r red          y yellow
const ColourTable kGreenBlue = {{'k', "0 0 0"},         {'g', "0 255 0"},
                                {'d', "123 123 123"},   {'.', "BGCOLOR"},
                                {'l', "222 222 222"},   {'w', "255 255 255"},
                                {'b', "0 0 255"}};
const ColourTable kBlue = {{'k', "0 0 0"},       {'b', "0 0 255"},
                           {'d', "123 123 123"}, {'.', "BGCOLOR"},
                           {'l', "222 222 222"}, {'w', "255 255 255"}};
const ColourTable kRedYellow = {{'k', "0 0 0"},       {'b', "0 0 255"},
                                {'d', "123 123 123"}, {'.', "BGCOLOR"},
                                {'l', "222 222 222"}, {'r', "255 0 0"},
                                {'y', "255 255 0"},   {'w', "255 255 255"}};
const ColourTable kGrey = {{'k', "0 0 0"},       {'d', "123 123 123"},
                           {'.', "BGCOLOR"},     {'l', "222 222 222"},
                           {'w', "255 255 255"}};
const ColourTable kWind = {{'k', "000 000 000"}, {'r', "255 000 000"},
                           {'l', "224 224 224"}};

// Tool pictures are a 23 x 22 button face with a two-pixel bevel around a
// 17 x 16 symbol.  The pressed face inverts the bevel and moves the symbol
// one pixel right and down, as a pushed-in button would look.
constexpr int kFaceWidth = 23;
constexpr int kFaceHeight = 22;

using Glyph = std::vector<std::string>;

const Glyph kFitGlyph = {
    "bbbb.........bbbb",
    "b...............b",
    "b..ggggggggggg..b",
    "b..g.........g..b",
    "...g.........g...",
    "...g...ggggggg...",
    "...g...g.........",
    "...g...g.........",
    "...g...g.........",
    "...g...g.........",
    "...g...ggggggg...",
    "b..g.........g..b",
    "b..g.........g..b",
    "b..ggggggggggg..b",
    "b...............b",
    "bbbb.........bbbb",
};

const Glyph kLineGlyph = {
    ".................",
    ".............kkk.",
    ".............kwk.",
    "............bkkk.",
    "...........bb....",
    "..........bb.....",
    ".........bb......",
    "........bb.......",
    ".......bb........",
    "......bb.........",
    ".....bb..........",
    "....bb...........",
    "...bb............",
    ".kkkb............",
    ".kwk.............",
    ".kkk.............",
};

const Glyph kRedrawGlyph = {
    ".................",
    ".....rrrrrr......",
    "...rrr....rrr....",
    "..rr........rr...",
    "..r..........r...",
    ".rr..........rr..",
    ".r............r..",
    ".r............r..",
    ".r.........rrrrrr",
    ".r..........rrrr.",
    ".rr..........rr..",
    "..r..............",
    "..rr.............",
    "...rrr....rr.....",
    ".....rrrrrr......",
    ".................",
};

const Glyph kZoomWindowGlyph = {
    "kk.kk.kk.kk.kk.kk",
    "k...............k",
    ".................",
    "k....kkkkk......k",
    "k...kwwwwwk......",
    "...kwwwwwwwk....k",
    "k..kwwwwwwwk....k",
    "k..kwwwwwwwk.....",
    "...kwwwwwwwk....k",
    "k...kwwwwwk.....k",
    "k....kkkkkkk.....",
    "..........kkk...k",
    "k..........kkk..k",
    "............kkk..",
    "k............kk.k",
    "kk.kk.kk.kk.kk.kk",
};

const Glyph kZoomInGlyph = {
    "....kkkkk........",
    "..kkwwwwwkk......",
    ".kwwwwwwwwwk.....",
    ".kwwwwkwwwwk.....",
    "kwwwwwkwwwwwk....",
    "kwwwwwkwwwwwk....",
    "kwwkkkkkkkwwk....",
    "kwwwwwkwwwwwk....",
    "kwwwwwkwwwwwk....",
    ".kwwwwkwwwwk.....",
    ".kwwwwwwwwwk.....",
    "..kkwwwwwkkkk....",
    "....kkkkk.kkkk...",
    "...........kkkk..",
    "............kkkk.",
    ".............kk..",
};

const Glyph kZoomOutGlyph = {
    "....kkkkk........",
    "..kkwwwwwkk......",
    ".kwwwwwwwwwk.....",
    ".kwwwwwwwwwk.....",
    "kwwwwwwwwwwwk....",
    "kwwwwwwwwwwwk....",
    "kwwkkkkkkkwwk....",
    "kwwwwwwwwwwwk....",
    "kwwwwwwwwwwwk....",
    ".kwwwwwwwwwk.....",
    ".kwwwwwwwwwk.....",
    "..kkwwwwwkkkk....",
    "....kkkkk.kkkk...",
    "...........kkkk..",
    "............kkkk.",
    ".............kk..",
};

const Glyph kDeleteGlyph = {
    ".kk...........kk.",
    ".kkk.........kkk.",
    "..kkk.......kkk..",
    "...kkk.....kkk...",
    "....kkk...kkk....",
    ".....kkk.kkk.....",
    "......kkkkk......",
    ".......kkk.......",
    "......kkkkk......",
    ".....kkk.kkk.....",
    "....kkk...kkk....",
    "...kkk.....kkk...",
    "..kkk.......kkk..",
    ".kkk.........kkk.",
    ".kk...........kk.",
    ".................",
};

const Glyph kSelectGlyph = {
    ".....k...........",
    ".....kk..........",
    ".....kwk.........",
    ".....kwwk........",
    ".....kwwwk.......",
    ".....kwwwwk......",
    ".....kwwwwwk.....",
    ".....kwwwwwwk....",
    ".....kwwwwwwwk...",
    ".....kwwwwkkkkk..",
    ".....kwwkwwk.....",
    ".....kwk.kwwk....",
    ".....kk...kwwk...",
    ".....k....kwwk...",
    "...........kwwk..",
    "............kk...",
};

const Glyph kKeyboardGlyph = {
    ".........bb......",
    "........b........",
    "........b........",
    ".kkkkkkkkkkkkkkk.",
    ".kdddddddddddddk.",
    ".kdwwdwwdwwdwwdk.",
    ".kdddddddddddddk.",
    ".kddwwdwwdwwdddk.",
    ".kdddddddddddddk.",
    ".kdwwdwwdwwdwwdk.",
    ".kdddddddddddddk.",
    ".kddwwwwwwwwwddk.",
    ".kdddddddddddddk.",
    ".kkkkkkkkkkkkkkk.",
    ".................",
    ".................",
};

// Wind entering from the left, streamlines bending around a wall block.
const std::vector<std::string> kComputeRows = {
    "llllllllllllllll",
    "llllrrrrrrrrllll",
    "rrrrllllllllrrrr",
    "lllllrrrrrrlllll",
    "lllrrllllllrrlll",
    "rrrllllllllllrrr",
    "lllllkkkkkklllll",
    "lllllkkkkkklllll",
    "lllllkkkkkklllll",
    "lllllkkkkkklllll",
    "rrrllllllllllrrr",
    "lllrrllllllrrlll",
    "lllllrrrrrrlllll",
    "rrrrllllllllrrrr",
    "llllrrrrrrrrllll",
    "llllllllllllllll",
};

char RaisedBevel(int x, int y) {
  if (x == kFaceWidth - 1 || y == kFaceHeight - 1) return 'k';
  if (x == 0 || y == 0) return 'w';
  if (x == kFaceWidth - 2 || y == kFaceHeight - 2) return 'd';
  return '.';
}

char SunkenBevel(int x, int y) {
  if (x == 0 || y == 0) return 'k';
  if (x == kFaceWidth - 1 || y == kFaceHeight - 1) return 'w';
  if (x == 1 || y == 1) return 'd';
  return '.';
}

std::vector<std::string> Face(const Glyph& glyph, bool pressed) {
  const int offset = pressed ? 4 : 3;
  std::vector<std::string> rows(kFaceHeight, std::string(kFaceWidth, '.'));
  for (int y = 0; y < kFaceHeight; ++y)
    for (int x = 0; x < kFaceWidth; ++x)
      rows[y][x] = pressed ? SunkenBevel(x, y) : RaisedBevel(x, y);
  for (size_t gy = 0; gy < glyph.size(); ++gy)
    for (size_t gx = 0; gx < glyph[gy].size(); ++gx)
      if (glyph[gy][gx] != '.') rows[gy + offset][gx + offset] = glyph[gy][gx];
  return rows;
}

Glyph Recoloured(Glyph glyph, char from, char to) {
  for (std::string& row : glyph)
    for (char& c : row)
      if (c == from) c = to;
  return glyph;
}

ToolbarImage Released(const std::string& name, const ColourTable& table,
                      const Glyph& glyph) {
  return {name, &table, Face(glyph, false), ""};
}

ToolbarImage Pressed(const std::string& name, const ColourTable& table,
                     const Glyph& glyph) {
  return {name, &table, Face(glyph, true), ""};
}

std::vector<ToolbarImage> MakeImages() {
  return {
      Released("fit1img", kGreenBlue, kFitGlyph),
      Pressed("fit2img", kGreenBlue, kFitGlyph),
      Released("line1img", kBlue, kLineGlyph),
      Pressed("line2img", kBlue, kLineGlyph),
      Released("redraw1img", kRedYellow, kRedrawGlyph),
      Pressed("redraw2img", kRedYellow, kRedrawGlyph),
      Released("zoom1img", kGrey, kZoomWindowGlyph),
      Pressed("zoom2img", kGrey, kZoomWindowGlyph),
      Released("zoomin1img", kGrey, kZoomInGlyph),
      Pressed("zoomin2img", kGrey, kZoomInGlyph),
      Released("zoomout1img", kGrey, kZoomOutGlyph),
      Pressed("zoomout2img", kGrey, kZoomOutGlyph),
      Released("delete1img", kGrey, kDeleteGlyph),
      // The pressed cross turns blue: the eraser is at work.
      Pressed("delete2img", kBlue, Recoloured(kDeleteGlyph, 'k', 'b')),
      Released("select1img", kBlue, kSelectGlyph),
      Pressed("select2img", kBlue, kSelectGlyph),
      Released("keyboard1img", kBlue, kKeyboardGlyph),
      Pressed("keyboard2img", kBlue, kKeyboardGlyph),
      {"brisel6img", &kWind, kComputeRows, "DeReri"},
  };
}

// The toolkit may keep a pointer to the pixels, so they live for the run.
std::vector<std::vector<unsigned char>>& PixelStore() {
  static std::vector<std::vector<unsigned char>> store;
  return store;
}

}  // namespace

const std::vector<ToolbarImage>& ToolbarImages() {
  static const std::vector<ToolbarImage> images = MakeImages();
  return images;
}

bool ToPixels(const ToolbarImage& image, std::vector<unsigned char>& pixels) {
  std::map<char, unsigned char> index;
  for (size_t i = 0; i < image.table->size(); ++i)
    index[(*image.table)[i].first] = static_cast<unsigned char>(i);
  pixels.clear();
  for (const std::string& row : image.rows) {
    if (static_cast<int>(row.size()) != image.width()) return false;
    for (char c : row) {
      auto found = index.find(c);
      if (found == index.end()) return false;
      pixels.push_back(found->second);
    }
  }
  return true;
}

void CreateImages() {
  for (const ToolbarImage& image : ToolbarImages()) {
    std::vector<unsigned char> pixels;
    if (!ToPixels(image, pixels)) continue;  // a broken picture shows the title
    PixelStore().push_back(std::move(pixels));
    tk::Element* e =
        tk::Image(image.width(), image.height(), PixelStore().back().data());
    if (!image.origin.empty()) tk::SetAttribute(e, "ORIGIN", image.origin);
    for (size_t i = 0; i < image.table->size(); ++i)
      tk::SetAttribute(e, std::to_string(i), (*image.table)[i].second);
    tk::SetHandle(image.name, e);
  }
}

}  // namespace shell
