#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/images.h"
#include "toolkit/toolkit.h"

namespace {

using shell::ToolbarImage;
using shell::ToolbarImages;

const ToolbarImage* Find(const std::string& name) {
  for (const ToolbarImage& image : ToolbarImages())
    if (image.name == name) return &image;
  return nullptr;
}

TEST(ToolbarImages, NineteenPicturesOfTheirSizeUsingOnlyTheirTables) {
  const std::vector<std::string> order = {
      "fit1img",      "fit2img",      "line1img",     "line2img",    "redraw1img",
      "redraw2img",   "zoom1img",     "zoom2img",     "zoomin1img",  "zoomin2img",
      "zoomout1img",  "zoomout2img",  "delete1img",   "delete2img",  "select1img",
      "select2img",   "keyboard1img", "keyboard2img", "brisel6img"};
  ASSERT_EQ(ToolbarImages().size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    const ToolbarImage& image = ToolbarImages()[i];
    EXPECT_EQ(image.name, order[i]);
    const bool compute = image.name == "brisel6img";
    EXPECT_EQ(image.width(), compute ? 16 : 23) << image.name;
    EXPECT_EQ(image.height(), compute ? 16 : 22) << image.name;
    std::vector<unsigned char> pixels;
    ASSERT_TRUE(shell::ToPixels(image, pixels)) << image.name;
    ASSERT_EQ(pixels.size(), static_cast<size_t>(image.width() * image.height()));
    for (unsigned char p : pixels) ASSERT_LT(p, image.table->size()) << image.name;
  }
}

TEST(ToolbarImages, PressedPictureDiffersAndDarkensTheTopLeftCorner) {
  for (const char* base : {"fit", "line", "redraw", "zoom", "zoomin", "zoomout",
                           "delete", "select", "keyboard"}) {
    const ToolbarImage* up = Find(std::string(base) + "1img");
    const ToolbarImage* down = Find(std::string(base) + "2img");
    ASSERT_TRUE(up && down) << base;
    EXPECT_NE(up->rows, down->rows) << base;
    EXPECT_EQ(up->rows[0][0], 'w') << base;
    EXPECT_EQ(down->rows[0][0], 'k') << base;
  }
  // Only the pressed delete picture has blue in its table, and uses it.
  std::string pressed;
  for (const std::string& row : Find("delete2img")->rows) pressed += row;
  EXPECT_NE(pressed.find('b'), std::string::npos);
}

TEST(ToolbarImages, RegisteredWithTheirColourTables) {
  for (const ToolbarImage& image : ToolbarImages()) {
    tk::Element* e = tk::GetHandle(image.name);
    ASSERT_EQ(tk::KindOf(e), "image") << image.name;
    for (size_t i = 0; i < image.table->size(); ++i)
      EXPECT_EQ(tk::GetAttribute(e, std::to_string(i)), (*image.table)[i].second);
    EXPECT_FALSE(tk::HasAttribute(e, std::to_string(image.table->size()))) << image.name;
  }
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("brisel6img"), "ORIGIN"), "DeReri");
}

}  // namespace
