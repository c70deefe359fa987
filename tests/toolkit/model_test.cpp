// The element model without a display: attributes, names, commands, key
// routing, text fields and the scripted dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { tk::Open(); }
  void TearDown() override {
    tk::test::EnableScripting(false);
    tk::Close();
  }
  // Registers a command that records its calls and answers `result`.
  void Record(const std::string& name, int result = tk::kDefault) {
    tk::SetFunction(name, [this, name, result](const tk::Event& ev) {
      log.push_back(name + ":" + tk::GetName(ev.element) + ":" + std::to_string(ev.key));
      return result;
    });
  }
  std::vector<std::string> log;
};

TEST_F(ModelTest, AttributesInheritFromTheNearestAncestorOrFallBackToDefaults) {
  tk::Element* label = tk::Label("x");
  tk::Element* toggle = tk::Toggle("t", "");
  tk::Element* inner = tk::HBox({label, toggle});
  tk::Element* dialog = tk::Dialog(tk::VBox({inner}));
  tk::SetAttribute(dialog, "ZOOMFACTOR", "1.2");
  tk::SetAttribute(dialog, "TITLE", "Main");
  tk::SetAttribute(inner, "ZOOMFACTOR", "2.5");
  tk::SetAttribute(dialog, "PARENTCANVAS", "datascreen");

  EXPECT_EQ(tk::GetAttribute(label, "ZOOMFACTOR"), "2.5");  // nearest ancestor wins
  EXPECT_EQ(tk::GetAttribute(label, "PARENTCANVAS"), "datascreen");
  EXPECT_EQ(tk::GetAttribute(label, "TITLE"), "x");
  EXPECT_EQ(tk::GetAttribute(inner, "TITLE"), "");  // a title is not inherited
  EXPECT_EQ(tk::GetAttribute(toggle, "VALUE"), "OFF");

  tk::ResetAttribute(inner, "ZOOMFACTOR");
  EXPECT_EQ(tk::GetAttribute(label, "ZOOMFACTOR"), "1.2");
}

TEST_F(ModelTest, SetfFormatsAndCopies) {
  tk::Element* label = tk::Label("");
  tk::SetfAttribute(label, "TITLE", "%6.1f|%s", 12.25, std::string(300, 'y').c_str());
  EXPECT_EQ(tk::GetAttribute(label, "TITLE"), "  12.2|" + std::string(300, 'y'));
}

TEST_F(ModelTest, HandlesForgetDestroyedElements) {
  tk::Element* a = tk::Label("a");
  tk::Element* box = tk::VBox({a, tk::Label("b")});
  tk::SetHandle("white", tk::Color(255, 255, 255));
  tk::SetHandle("a", a);
  tk::SetHandle("box", box);
  EXPECT_EQ(tk::GetHandle("a"), a);
  tk::Destroy(box);
  EXPECT_EQ(tk::GetHandle("a"), nullptr);
  EXPECT_EQ(tk::HandleNames(), (std::vector<std::string>{"white"}));
}

TEST_F(ModelTest, CommandsAreLookedUpWhenTheEventHappens) {
  tk::Element* button = tk::Button("Go", "Later");
  EXPECT_EQ(tk::test::Fire(button, "ACTION"), tk::kDefault);  // not registered yet
  Record("Later", tk::kIgnore);
  EXPECT_EQ(tk::test::Fire(button, "ACTION"), tk::kIgnore);
  EXPECT_EQ(log.size(), 1u);
  // A command that throws does not let the exception escape.
  tk::SetFunction("Later", [](const tk::Event&) -> int { throw 1; });
  EXPECT_EQ(tk::test::Fire(button, "ACTION"), tk::kDefault);
}

TEST_F(ModelTest, KeysGoFromTheFocusedElementUpItsParents) {
  tk::Element* text = tk::Text("");
  tk::Element* box = tk::HBox({text});
  tk::Element* dialog = tk::Dialog(tk::VBox({box}));
  tk::SetHandle("text", text);
  tk::SetAttribute(box, "K_ANY", "BoxKeys");
  tk::SetAttribute(dialog, "K_ANY", "DialogKeys");
  tk::SetAttribute(box, "K_UP", "BoxUp");
  Record("BoxKeys", tk::kContinue);
  Record("DialogKeys");
  Record("BoxUp", tk::kDefault);

  EXPECT_EQ(tk::test::Key(text, 'x'), tk::kDefault);
  EXPECT_EQ(log, (std::vector<std::string>{"BoxKeys:text:120", "DialogKeys:text:120"}));

  // The key's own callback comes before K_ANY, and ends the routing here.
  log.clear();
  tk::test::Key(text, tk::kKeyUp);
  EXPECT_EQ(log, (std::vector<std::string>{"BoxUp:text:328"}));

  // Without -4 the dialog does not see the key.
  log.clear();
  Record("BoxKeys", tk::kDefault);
  tk::test::Key(text, tk::kKeyEsc);
  EXPECT_EQ(log, (std::vector<std::string>{"BoxKeys:text:27"}));
}

TEST_F(ModelTest, TextTakesOnlyWhatItsFilterAndMaskAccept) {
  tk::Element* text = tk::Text("Filter");
  std::vector<std::string> seen;
  tk::SetFunction("Filter", [&](const tk::Event& ev) {
    seen.push_back(ev.text);
    return ev.key == 'x' ? tk::kIgnore : tk::kDefault;
  });
  tk::SetMask(text, "[+/-]?(/d+/.?/d*|/./d+)");
  EXPECT_EQ(tk::test::Type(text, "-1x.2.5a"), "-1.25");
  EXPECT_EQ(seen.front(), "-");
  EXPECT_EQ(seen[2], "-1x");

  // A key typed into the field reaches the dialog's key handler as well.
  tk::Element* dialog = tk::Dialog(text);
  tk::SetAttribute(dialog, "K_ANY", "DialogKeys");
  Record("DialogKeys");
  tk::test::Key(text, '0');
  EXPECT_EQ(tk::GetAttribute(text, "VALUE"), "-1.250");
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(ModelTest, ScriptedFileDialogs) {
  tk::test::EnableScripting(true);
  tk::Element* open = tk::FileDialog();
  tk::SetAttribute(open, "DIALOGTYPE", "OPEN");
  tk::test::QueueAnswer({false, {"/nonexistent/dir/a.dat"}});
  tk::Popup(open, -1, -1);
  EXPECT_EQ(tk::GetAttribute(open, "VALUE"), "/nonexistent/dir/a.dat");
  tk::test::QueueAnswer({true, {}});
  tk::Popup(open, -1, -1);
  EXPECT_FALSE(tk::HasAttribute(open, "VALUE"));  // cancelled: no stale path left
}

}  // namespace
