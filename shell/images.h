// The tool-bar pictures: small indexed-colour images compiled into the
// program and registered under the names the buttons refer to.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace shell {

// A colour table: entry i is the character that stands for index i in the
// pictures' rows and the colour value given to the image's attribute "i"
// ("R G B", or "BGCOLOR" for the button's own background).
using ColourTable = std::vector<std::pair<char, std::string>>;

struct ToolbarImage {
  std::string name;
  const ColourTable* table;
  std::vector<std::string> rows;  // one string per pixel row, top to bottom
  std::string origin;             // ORIGIN attribute; empty for none
  int width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
  int height() const { return static_cast<int>(rows.size()); }
};

// Every picture, in the order they are created.
const std::vector<ToolbarImage>& ToolbarImages();

// Converts the rows to one colour index per pixel.  Returns false, leaving
// `pixels` unspecified, when the rows are ragged or use a character that is
// not in the picture's table.
bool ToPixels(const ToolbarImage& image, std::vector<unsigned char>& pixels);

// Creates and registers every picture.
void CreateImages();

}  // namespace shell
