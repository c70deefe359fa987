#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/images.h"
#include "toolkit/toolkit.h"

namespace {

// Every picture reads into pixels that index its own colour table, and is
// registered with that table and no more.
TEST(ToolbarImages, PicturesUseOnlyTheirTablesAndAreRegisteredWithThem) {
  ASSERT_FALSE(shell::ToolbarImages().empty());
  for (const shell::ToolbarImage& image : shell::ToolbarImages()) {
    std::vector<unsigned char> pixels;
    ASSERT_TRUE(shell::ToPixels(image, pixels)) << image.name;
    ASSERT_EQ(pixels.size(), static_cast<size_t>(image.width() * image.height()));
    for (unsigned char p : pixels) ASSERT_LT(p, image.table->size()) << image.name;

    tk::Element* e = tk::GetHandle(image.name);
    ASSERT_EQ(tk::KindOf(e), "image") << image.name;
    for (size_t i = 0; i < image.table->size(); ++i)
      EXPECT_EQ(tk::GetAttribute(e, std::to_string(i)), (*image.table)[i].second);
    EXPECT_FALSE(tk::HasAttribute(e, std::to_string(image.table->size()))) << image.name;
  }
}

}  // namespace
