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
  EXPECT_DOUBLE_EQ(tk::GetFloat(label, "ZOOMFACTOR"), 2.5);
  EXPECT_EQ(tk::GetAttribute(label, "PARENTCANVAS"), "datascreen");
  EXPECT_EQ(tk::GetAttribute(label, "TITLE"), "x");
  EXPECT_EQ(tk::GetAttribute(inner, "TITLE"), "");  // a title is not inherited
  EXPECT_FALSE(tk::HasAttribute(inner, "TITLE"));
  EXPECT_EQ(tk::GetAttribute(toggle, "VALUE"), "OFF");
  EXPECT_EQ(tk::GetAttribute(label, "ACTIVE"), "YES");
  EXPECT_EQ(tk::GetInt(label, "NOTHING"), 0);

  tk::ResetAttribute(inner, "ZOOMFACTOR");
  EXPECT_EQ(tk::GetAttribute(label, "ZOOMFACTOR"), "1.2");
  tk::SetAttribute(nullptr, "TITLE", "ignored");  // no element: nothing happens
  EXPECT_EQ(tk::GetAttribute(nullptr, "TITLE"), "");
}

TEST_F(ModelTest, KindDefaults) {
  tk::Element* gauge = tk::Gauge();
  tk::Element* canvas = tk::GLCanvas("");
  tk::Element* dial = tk::Dial("VERTICAL");
  EXPECT_EQ(tk::GetAttribute(gauge, "VALUE"), "0");
  EXPECT_EQ(tk::GetAttribute(canvas, "SCROLLBAR"), "NO");
  EXPECT_EQ(tk::GetAttribute(dial, "UNIT"), "RADIANS");
  EXPECT_EQ(tk::GetAttribute(dial, "ORIENTATION"), "VERTICAL");
  tk::SetAttribute(canvas, "RASTERSIZE", "400x500");
  EXPECT_EQ(tk::GetAttribute(canvas, "DRAWSIZE"), "400x500");
}

TEST_F(ModelTest, SetfFormatsAndCopies) {
  tk::Element* label = tk::Label("");
  std::string text = "first";
  tk::SetAttribute(label, "TITLE", text);
  text = "changed";
  EXPECT_EQ(tk::GetAttribute(label, "TITLE"), "first");
  tk::SetfAttribute(label, "TITLE", "%6.1f|%s", 12.25, std::string(300, 'y').c_str());
  EXPECT_EQ(tk::GetAttribute(label, "TITLE"), "  12.2|" + std::string(300, 'y'));
}

TEST_F(ModelTest, HandlesKeepTheirOrderAndForgetDestroyedElements) {
  tk::Element* a = tk::Label("a");
  tk::Element* b = tk::Label("b");
  tk::Element* box = tk::VBox({a, b});
  tk::SetHandle("white", tk::Color(255, 255, 255));
  tk::SetHandle("b", b);
  tk::SetHandle("a", a);
  tk::SetHandle("box", box);
  tk::SetHandle("b", b);  // registering again keeps the first position
  EXPECT_EQ(tk::HandleNames(), (std::vector<std::string>{"white", "b", "a", "box"}));
  EXPECT_EQ(tk::GetHandle("a"), a);
  EXPECT_EQ(tk::GetName(box), "box");
  EXPECT_EQ(tk::KindOf(tk::GetHandle("white")), "color");
  EXPECT_EQ(tk::GetHandle("missing"), nullptr);

  tk::Destroy(box);
  EXPECT_EQ(tk::GetHandle("a"), nullptr);
  EXPECT_EQ(tk::HandleNames(), (std::vector<std::string>{"white"}));
}

TEST_F(ModelTest, TreeOwnershipAndAppend) {
  tk::Element* first = tk::Label("1");
  tk::Element* box = tk::HBox({first});
  tk::Element* second = tk::Label("2");
  tk::Append(box, second);
  EXPECT_EQ(tk::Children(box), (std::vector<tk::Element*>{first, second}));
  EXPECT_EQ(tk::Parent(second), box);
  EXPECT_EQ(tk::KindOf(box), "hbox");
}

TEST_F(ModelTest, CommandsAreLookedUpWhenTheEventHappens) {
  tk::Element* button = tk::Button("Go", "Later");
  EXPECT_EQ(tk::test::Fire(button, "ACTION"), tk::kDefault);  // not registered yet
  Record("Later", tk::kIgnore);
  EXPECT_EQ(tk::test::Fire(button, "ACTION"), tk::kIgnore);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(static_cast<bool>(tk::GetFunction("Later")));
  EXPECT_FALSE(static_cast<bool>(tk::GetFunction("Missing")));
}

TEST_F(ModelTest, ThrowingCommandDoesNotEscape) {
  tk::Element* button = tk::Button("Go", "Throws");
  tk::SetFunction("Throws", [](const tk::Event&) -> int { throw 1; });
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

TEST_F(ModelTest, KeyCallbackNames) {
  tk::Element* text = tk::Text("");
  tk::Element* dialog = tk::Dialog(text);
  const std::vector<std::pair<std::string, int>> keys = {
      {"K_CR", tk::kKeyCR},      {"K_ESC", tk::kKeyEsc},   {"K_HOME", tk::kKeyHome},
      {"K_PGUP", tk::kKeyPgUp},  {"K_LEFT", tk::kKeyLeft}, {"K_RIGHT", tk::kKeyRight},
      {"K_END", tk::kKeyEnd},    {"K_DOWN", tk::kKeyDown}, {"K_PGDN", tk::kKeyPgDn},
      {"K_INS", tk::kKeyIns},    {"K_DEL", tk::kKeyDel},   {"K_x", 'x'}};
  for (const auto& [name, code] : keys) {
    tk::SetAttribute(dialog, name, "Named");
    log.clear();
    Record("Named");
    tk::test::Key(text, code);
    EXPECT_EQ(log.size(), 1u) << name;
  }
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

TEST_F(ModelTest, ToggleInRadioSwitchesItsCompanionsOff) {
  tk::Element* a = tk::Toggle("a", "Picked");
  tk::Element* b = tk::Toggle("b", "Picked");
  tk::Radio(tk::VBox({a, b}));
  std::vector<int> states;
  tk::SetFunction("Picked", [&](const tk::Event& ev) {
    states.push_back(ev.state);
    return tk::kDefault;
  });
  tk::Event on;
  on.state = 1;
  tk::test::Fire(a, "ACTION", on);
  tk::test::Fire(b, "ACTION", on);
  EXPECT_EQ(tk::GetAttribute(a, "VALUE"), "OFF");
  EXPECT_EQ(tk::GetAttribute(b, "VALUE"), "ON");
  EXPECT_EQ(states, (std::vector<int>{1, 1}));
}

TEST_F(ModelTest, ScriptedPopupsAnswerAppDialogs) {
  tk::test::EnableScripting(true);
  tk::Element* field = tk::Text("");
  tk::SetHandle("x0", field);
  tk::Element* dialog = tk::Dialog(tk::VBox({field}));
  tk::SetAttribute(dialog, "CLOSE_CB", "Closed");
  tk::SetFunction("Ok", [dialog](const tk::Event& ev) {
    EXPECT_EQ(ev.element, dialog);
    tk::SetAttribute(dialog, "CONFIRM", "1");
    return tk::kClose;
  });
  Record("Closed", tk::kClose);

  tk::test::QueueAnswer({false, {"x0=2.5", "Ok"}});
  tk::Popup(dialog, -1, -1);
  EXPECT_EQ(tk::GetAttribute(field, "VALUE"), "2.5");
  EXPECT_EQ(tk::GetAttribute(dialog, "CONFIRM"), "1");
  EXPECT_TRUE(log.empty());

  tk::Popup(dialog, -1, -1);  // nothing queued: closed by its close box
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(tk::test::ScriptedPopups(), 2);

  tk::Message(" ", "\nFator de distorção vertical inválido!\n");
  EXPECT_EQ(tk::test::TakeMessages(),
            (std::vector<std::string>{" |\nFator de distorção vertical inválido!\n"}));
  EXPECT_TRUE(tk::test::TakeMessages().empty());
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

  std::string path = "*.*";
  tk::test::QueueAnswer({false, {"/nonexistent/new.dat"}});
  EXPECT_EQ(tk::GetFile(path), 1);
  EXPECT_EQ(path, "/nonexistent/new.dat");
  path = "*.*";
  EXPECT_EQ(tk::GetFile(path), -1);
  EXPECT_EQ(path, "*.*");
}

TEST_F(ModelTest, DialFiringTracksTheAngle) {
  tk::Element* dial = tk::Dial("VERTICAL");
  std::vector<double> angles;
  tk::SetAttribute(dial, "MOUSEMOVE_CB", "Turned");
  tk::SetFunction("Turned", [&](const tk::Event& ev) {
    angles.push_back(ev.angle);
    return tk::kDefault;
  });
  tk::Event moved;
  moved.angle = 0.75;
  tk::test::Fire(dial, "MOUSEMOVE_CB", moved);
  EXPECT_EQ(angles, (std::vector<double>{0.75}));
}

}  // namespace
