#include "shell/line_dialogs.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace cmd {

namespace {

// An optionally signed decimal number; the tolerance takes no sign.
const char* const kCoordinateMask = "[+/-]?(/d+/.?/d*|/./d+)";
const char* const kToleranceMask = "(/d+/.?/d*|/./d+)";

struct Texts {
  const char* heading;
  const char* labels[5];     // first point x, y, second point x, y, tolerance
  const char* increments[2];  // displacement x, y
  const char* ok;
  const char* cancel;
  const char* absolute;
  const char* incremental;
};

const Texts kEnglish = {"Enter with line coordinates:",
                        {"Point 1 X: ", "Point 1 Y: ", "Point 2 X: ", "Point 2 Y: ", "Tolerance: "},
                        {"Incr.  DX: ", "Incr.  DY: "},
                        " OK ",
                        " Cancel ",
                        "Absolute",
                        "Incremental"};
const Texts kPortuguese = {
    "Entre com as coordenadas da linha:",
    {"Ponto 1 X: ", "Ponto 1 Y: ", "Ponto 2 X: ", "Ponto 2 Y: ", "Toleranc.: "},
    {"Incr.  DX: ", "Incr.  DY: "},
    "Confirma",
    "Cancela ",
    "Absoluto",
    "Incremental"};

const Texts& TextsOfLanguage() {
  return tk::GetLanguage() == "ENGLISH" ? kEnglish : kPortuguese;
}

// What tells the three dialogs apart.
struct DialogLayout {
  int rows;                 // 2 (one point), 4 (two points) or 5 (and the tolerance)
  const char* tabsHandle;   // null: no tabs, one frame
  const char* absoluteFields[5];
  const char* incrementalFields[5];
  const char* okCommand;
  const char* cancelCommand;
  const char* closeCommand;
};

const DialogLayout kLineLayout = {
    5,
    "tb_handle",
    {"x0_line1_handle", "y0_line1_handle", "x1_line1_handle", "y1_line1_handle",
     "tl_line1_handle"},
    {"x0_line2_handle", "y0_line2_handle", "x1_line2_handle", "y1_line2_handle",
     "tl_line2_handle"},
    "call_ok",
    "call_cn",
    "call_close"};
const DialogLayout kFirstPointLayout = {
    2, nullptr, {"x0_line3_handle", "y0_line3_handle"}, {}, "call_fok", "call_fcn",
    "call_fclose"};
const DialogLayout kEndPointLayout = {
    4,
    "stb_handle",
    {"x0_line4_handle", "y0_line4_handle", "x1_line4_handle", "y1_line4_handle"},
    {"x0_line5_handle", "y0_line5_handle", "x1_line5_handle", "y1_line5_handle"},
    "call_sok",
    "call_scn",
    "call_sclose"};

// One saved place for all three, so a dialog opens where the last was left.
int popupX = tk::kCenter, popupY = tk::kCenter;

tk::Element* Centred(tk::Element* e) { return tk::VBox({tk::Fill(), e, tk::Fill()}); }

// fill, label, fill, field, fill; the field is registered under its name.
tk::Element* Row(const char* label, const char* field, const char* mask) {
  tk::Element* l = tk::Label(label);
  tk::SetAttribute(l, "SIZE", "55");
  tk::Element* text = tk::Text("");
  tk::SetAttribute(text, "SIZE", "55");
  tk::SetAttribute(text, "FGCOLOR", "000 000 000");
  tk::SetAttribute(text, "BGCOLOR", "255 255 255");
  tk::SetMask(text, mask);
  tk::SetHandle(field, text);
  return tk::HBox({tk::Fill(), Centred(l), tk::Fill(), Centred(text), tk::Fill()});
}

// The rows of one tab: first point x and y, then the second point (or the
// displacement) and the tolerance as far as the dialog has them.
tk::Element* Rows(const DialogLayout& layout, const char* const labels[5],
                  const char* const fields[5]) {
  tk::Element* box = tk::VBox({});
  for (int i = 0; i < layout.rows; ++i)
    tk::Append(box, Row(labels[i], fields[i], i == 4 ? kToleranceMask : kCoordinateMask));
  return box;
}

tk::Element* TabFrame(const DialogLayout& layout, const Texts& t, const char* title,
                      const char* const labels[5], const char* const fields[5]) {
  tk::Element* frame = tk::Frame(Rows(layout, labels, fields));
  tk::SetAttribute(frame, "TITLE", t.heading);
  tk::SetAttribute(frame, "TABTITLE", title);
  tk::SetAttribute(frame, "GAP", "1");
  tk::SetAttribute(frame, "MARGIN", "1x1");
  tk::SetAttribute(frame, "SIZE", "150");
  tk::SetHandle(title, frame);
  return frame;
}

class CoordinateDialog {
 public:
  explicit CoordinateDialog(const DialogLayout& layout) : layout_(layout) {}

  // values: x0, y0, x1, y1, tolerance, as far as the dialog has them.
  bool Run(double values[5]) {
    const Texts& t = TextsOfLanguage();
    // A toolkit closed and opened again (tests do) has forgotten the dialog.
    if (!dialog_ || !tk::GetHandle(layout_.absoluteFields[0])) Build(t);
    WriteFields(values);
    tk::SetAttribute(dialog_, "CONFIRM", "0");
    tk::Popup(dialog_, popupX, popupY);
    popupX = tk::GetInt(dialog_, "X");
    popupY = tk::GetInt(dialog_, "Y");
    if (tk::GetAttribute(dialog_, "CONFIRM") != "1") return false;
    ReadFields(values);
    return true;
  }

 private:
  void Build(const Texts& t) {
    firstTabTitle_ = t.absolute;
    tk::Element* ok = tk::Button(t.ok, layout_.okCommand);
    tk::Element* cancel = tk::Button(t.cancel, layout_.cancelCommand);
    tk::SetAttribute(ok, "SIZE", "55x12");
    tk::SetAttribute(cancel, "SIZE", "55x12");
    tk::Element* buttons = tk::HBox({tk::Fill(), ok, tk::Fill(), cancel, tk::Fill()});
    tk::Element* body = nullptr;
    if (layout_.tabsHandle) {
      const char* incrementalLabels[5] = {t.labels[0], t.labels[1], t.increments[0],
                                          t.increments[1], t.labels[4]};
      tabs_ = tk::Tabs({TabFrame(layout_, t, t.absolute, t.labels, layout_.absoluteFields),
                        TabFrame(layout_, t, t.incremental, incrementalLabels,
                                 layout_.incrementalFields)});
      tk::SetAttribute(tabs_, "TABTYPE", "LEFT");
      tk::SetAttribute(tabs_, "VALUE", t.absolute);
      tk::SetHandle(layout_.tabsHandle, tabs_);
      body = tk::Frame(tk::VBox({tk::Fill(), tabs_, tk::Fill(), buttons, tk::Fill()}));
    } else {
      tk::Element* rows = Rows(layout_, t.labels, layout_.absoluteFields);
      body = tk::Frame(tk::VBox({rows, tk::Fill(), buttons, tk::Fill()}));
      tk::SetAttribute(body, "TITLE", t.heading);
    }
    dialog_ = tk::Dialog(body);
    // Enter confirms and Esc cancels, wherever the focus is in the dialog.
    const std::pair<const char*, const char*> attributes[] = {
        {"TITLE", "Line"},
        {"GAP", "3"},
        {"MARGIN", "3x3"},
        {"MAXBOX", "NO"},
        {"RESIZE", "NO"},
        {"CLOSE_CB", layout_.closeCommand},
        {"K_CR", layout_.okCommand},
        {"K_ESC", layout_.cancelCommand}};
    for (auto& [name, value] : attributes) tk::SetAttribute(dialog_, name, value);
    tk::SetFunction(layout_.okCommand, [this](const tk::Event&) { return Answer("1"); });
    tk::SetFunction(layout_.cancelCommand, [this](const tk::Event&) { return Answer("0"); });
    tk::SetFunction(layout_.closeCommand, [this](const tk::Event&) { return Answer("0"); });
    tk::Map(dialog_);
  }

  int Answer(const char* confirm) {
    tk::SetAttribute(dialog_, "CONFIRM", confirm);
    return tk::kClose;
  }

  bool OnFirstTab() const {
    return !tabs_ || tk::GetAttribute(tabs_, "VALUE") == firstTabTitle_;
  }

  void WriteFields(const double v[5]) {
    for (int i = 0; i < layout_.rows; ++i) Write(layout_.absoluteFields[i], v[i]);
    if (!tabs_) return;
    const double incremental[5] = {v[0], v[1], v[2] - v[0], v[3] - v[1], v[4]};
    for (int i = 0; i < layout_.rows; ++i) Write(layout_.incrementalFields[i], incremental[i]);
  }

  void ReadFields(double v[5]) const {
    const bool absolute = OnFirstTab();
    const char* const* fields = absolute ? layout_.absoluteFields : layout_.incrementalFields;
    for (int i = 0; i < layout_.rows; ++i) v[i] = Read(fields[i]);
    if (!absolute) {
      v[2] += v[0];
      v[3] += v[1];
    }
  }

  static void Write(const char* field, double value) {
    tk::SetfAttribute(tk::GetHandle(field), "VALUE", "%.6f", value);
  }
  // An empty field reads as 0.
  static double Read(const char* field) {
    return std::strtod(tk::GetAttribute(tk::GetHandle(field), "VALUE").c_str(), nullptr);
  }

  const DialogLayout& layout_;
  tk::Element* dialog_ = nullptr;
  tk::Element* tabs_ = nullptr;
  std::string firstTabTitle_;
};

CoordinateDialog lineDialog(kLineLayout);
CoordinateDialog firstPointDialog(kFirstPointLayout);
CoordinateDialog endPointDialog(kEndPointLayout);

}  // namespace

bool LineDialog(double& x0, double& y0, double& x1, double& y1, double& tolerance) {
  double v[5] = {x0, y0, x1, y1, tolerance};
  if (!lineDialog.Run(v)) return false;
  x0 = v[0], y0 = v[1], x1 = v[2], y1 = v[3];
  tolerance = v[4] == 0 ? 0.001 : v[4];
  return true;
}

bool FirstPointDialog(double& x, double& y) {
  double v[5] = {x, y, 0, 0, 0};
  if (!firstPointDialog.Run(v)) return false;
  x = v[0], y = v[1];
  return true;
}

bool EndPointDialog(double& x0, double& y0, double& x1, double& y1) {
  double v[5] = {x0, y0, x1, y1, 0};
  if (!endPointDialog.Run(v)) return false;
  x0 = v[0], y0 = v[1], x1 = v[2], y1 = v[3];
  return true;
}

}  // namespace cmd
