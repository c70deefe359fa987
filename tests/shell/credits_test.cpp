#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/credits.h"
#include "toolkit/toolkit.h"

namespace {

TEST(Credits, BuiltOnceThenHiddenAndShownAgainUnchanged) {
  tk::Element* about = tk::Children(tk::GetHandle("bar")).back();  // "Sobre.."
  EXPECT_EQ(shell::CreditsDialog(), nullptr);
  EXPECT_FALSE(tk::GetFunction("closedlg"));

  EXPECT_EQ(tk::test::Fire(about, "ACTION"), tk::kDefault);
  tk::Element* dialog = shell::CreditsDialog();
  tk::Element* close = shell::CreditsCloseButton();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(tk::IsVisible(dialog));
  tk::Element* page = tk::GetHandle("msgeng");
  ASSERT_NE(page, nullptr);

  EXPECT_EQ(tk::test::Fire(close, "ACTION"), tk::kDefault);
  EXPECT_FALSE(tk::IsVisible(dialog));
  // Closing the credits must not touch the main window.
  EXPECT_TRUE(tk::IsVisible(tk::GetHandle("main")));

  const size_t names = tk::HandleNames().size();
  tk::test::Fire(about, "ACTION");
  EXPECT_TRUE(tk::IsVisible(dialog));
  EXPECT_EQ(shell::CreditsDialog(), dialog);
  EXPECT_EQ(shell::CreditsCloseButton(), close);
  EXPECT_EQ(tk::GetHandle("msgeng"), page);
  EXPECT_EQ(tk::HandleNames().size(), names);
  tk::test::Fire(close, "ACTION");
}

}  // namespace
