// The element model: construction and ownership, attributes with their
// inheritance and defaults, named handles and commands, callback dispatch
// and key routing.  Nothing here touches FLTK; widgets.cpp mirrors the model
// on screen.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <set>

#include "toolkit/element.h"
#include "toolkit/rules.h"

namespace tk {

Element::~Element() = default;

namespace {

struct Registry {
  std::vector<std::unique_ptr<Element>> roots;  // elements without a parent
  std::map<std::string, Element*> handles;
  std::vector<std::string> handleOrder;
  std::map<std::string, Callback> functions;
  std::string language = "PORTUGUESE";
  Element* mainDialog = nullptr;
  bool loopExit = false;
  bool scripting = false;
  std::deque<test::Answer> answers;
  std::deque<std::function<void()>> queuedEvents;
  std::vector<std::string> messages;
  int scriptedPopups = 0;
};

Registry& R() {
  static Registry registry;
  return registry;
}

Element* MakeRoot(const std::string& kind) {
  R().roots.push_back(std::make_unique<Element>(kind));
  return R().roots.back().get();
}

// Takes the element out of wherever it is owned and hands back its ownership.
std::unique_ptr<Element> Detach(Element* e) {
  std::vector<std::unique_ptr<Element>>& owner = e->parent ? e->parent->children : R().roots;
  auto it = std::find_if(owner.begin(), owner.end(), [e](const auto& p) { return p.get() == e; });
  if (it == owner.end()) return nullptr;
  std::unique_ptr<Element> held = std::move(*it);
  owner.erase(it);
  e->parent = nullptr;
  return held;
}

void Adopt(Element* parent, Element* child) {
  if (!parent || !child || child == parent) return;
  std::unique_ptr<Element> held = Detach(child);
  if (!held) return;
  held->parent = parent;
  parent->children.push_back(std::move(held));
}

Element* WithChildren(const std::string& kind, std::initializer_list<Element*> children) {
  Element* e = MakeRoot(kind);
  for (Element* child : children) Adopt(e, child);
  return e;
}

Element* WithTitle(const std::string& kind, const std::string& title, const std::string& action) {
  Element* e = MakeRoot(kind);
  e->attrs["TITLE"] = title;
  if (!action.empty()) e->attrs["ACTION"] = action;
  return e;
}

bool IsCallbackName(const std::string& name) {
  return name == "ACTION" || name.rfind("K_", 0) == 0 ||
         (name.size() > 3 && name.compare(name.size() - 3, 3, "_CB") == 0);
}

// Attributes that describe one element only; every other attribute (the
// application's own settings, fonts and colours among them) is inherited.
bool IsInheritable(const std::string& name) {
  static const std::set<std::string> own = {
      "TITLE", "VALUE", "SIZE", "RASTERSIZE", "ACTIVE", "EXPAND", "ALIGNMENT", "MARGIN",
      "GAP", "IMAGE", "IMPRESS", "TIP", "X", "Y", "DRAWSIZE", "MENU", "SCROLLBAR", "XMIN",
      "XMAX", "YMIN", "YMAX", "DX", "DY", "POSX", "POSY", "SHOW_TEXT", "TEXT",
      "DIALOGTYPE", "FILTER", "FILTERINFO", "DIRECTORY", "TABTITLE", "TABTYPE", "BUFFER",
      "COLOR", "DEPTH_SIZE", "RESIZE", "MAXBOX", "MINBOX", "TOPMOST", "ICON",
      "ORIENTATION", "UNIT", "MASK", "STATUS", "ORIGIN", "VISIBLE", "CURSOR"};
  if (IsCallbackName(name) || own.count(name)) return false;
  // The colour table of an image: "0", "1", ...
  return !(!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit));
}

const char* KindDefault(const std::string& kind, const std::string& name) {
  if (name == "ACTIVE") return "YES";
  if (kind == "toggle" && name == "VALUE") return "OFF";
  if (kind == "gauge") {
    if (name == "VALUE") return "0";
    if (name == "SHOW_TEXT") return "YES";
  }
  if (kind == "dial") {
    if (name == "UNIT") return "RADIANS";
    if (name == "ORIENTATION") return "HORIZONTAL";
  }
  if (kind == "canvas") {
    static const std::map<std::string, const char*> canvas = {
        {"SCROLLBAR", "NO"}, {"BUFFER", "DOUBLE"}, {"COLOR", "RGBA"}, {"XMIN", "0"},
        {"XMAX", "1"},       {"YMIN", "0"},        {"YMAX", "1"},     {"DX", "0.1"},
        {"DY", "0.1"},       {"POSX", "0"},        {"POSY", "0"}};
    auto it = canvas.find(name);
    if (it != canvas.end()) return it->second;
  }
  if (kind == "dialog" && (name == "RESIZE" || name == "MAXBOX" || name == "MINBOX"))
    return "YES";
  if (kind == "filedlg" && name == "DIALOGTYPE") return "OPEN";
  return nullptr;
}

void CollectSubtree(Element* e, std::set<Element*>& out) {
  out.insert(e);
  for (auto& child : e->children) CollectSubtree(child.get(), out);
}

void ForgetHandles(const std::set<Element*>& gone) {
  auto& reg = R();
  for (auto it = reg.handles.begin(); it != reg.handles.end();) {
    if (gone.count(it->second)) {
      reg.handleOrder.erase(std::remove(reg.handleOrder.begin(), reg.handleOrder.end(), it->first),
                            reg.handleOrder.end());
      it = reg.handles.erase(it);
    } else {
      ++it;
    }
  }
  if (gone.count(reg.mainDialog)) reg.mainDialog = nullptr;
}

bool HasBoundCallback(Element* e, const std::string& attribute) {
  const std::string* name = OwnAttribute(e, attribute);
  return name && !name->empty() && R().functions.count(*name) && R().functions[*name];
}

}  // namespace

// A toggle switched on inside a radio group switches its companions off.
void SetToggleState(Element* toggle, bool on) {
  SetAttribute(toggle, "VALUE", on ? "ON" : "OFF");
  if (!on) return;
  for (Element* up = toggle->parent; up; up = up->parent) {
    if (up->kind != "radio") continue;
    std::vector<Element*> stack = {up};
    while (!stack.empty()) {
      Element* e = stack.back();
      stack.pop_back();
      if (e->kind == "toggle" && e != toggle) SetAttribute(e, "VALUE", "OFF");
      for (auto& child : e->children) stack.push_back(child.get());
    }
    break;
  }
}

// ---- Shared with the other toolkit sources --------------------------------

const std::string* OwnAttribute(const Element* e, const std::string& name) {
  if (!e) return nullptr;
  auto it = e->attrs.find(name);
  return it == e->attrs.end() ? nullptr : &it->second;
}

Element* DialogOf(Element* e) {
  if (!e) return nullptr;
  Element* root = e;
  while (root->parent) root = root->parent;
  if (root->kind == "dialog") return root;
  if (root->kind != "menu") return nullptr;
  // A menu belongs to the dialog whose MENU names it.
  std::string name = GetName(root);
  if (name.empty()) return nullptr;
  for (auto& candidate : R().roots) {
    const std::string* menu = OwnAttribute(candidate.get(), "MENU");
    if (candidate->kind == "dialog" && menu && *menu == name) return candidate.get();
  }
  return nullptr;
}

int Invoke(Element* e, const std::string& attribute, Event event) {
  if (!HasBoundCallback(e, attribute)) return kDefault;
  if (!event.element) event.element = e;
  Callback callback = R().functions[*OwnAttribute(e, attribute)];
  int result = kDefault;
  try {
    result = callback(event);
  } catch (...) {
    // A command must not unwind through the window system's event loop.
    result = kDefault;
  }
  if (result == kClose) {
    Element* dialog = DialogOf(e);
    if (dialog) CloseDialog(dialog);
  }
  return result;
}

std::string KeyCallbackName(int code) {
  static const std::map<int, std::string> names = {
      {8, "K_BS"},         {9, "K_TAB"},        {kKeyCR, "K_CR"},      {kKeyEsc, "K_ESC"},
      {32, "K_SP"},        {kKeyHome, "K_HOME"}, {kKeyUp, "K_UP"},      {kKeyPgUp, "K_PGUP"},
      {kKeyLeft, "K_LEFT"}, {kKeyRight, "K_RIGHT"}, {kKeyEnd, "K_END"}, {kKeyDown, "K_DOWN"},
      {kKeyPgDn, "K_PGDN"}, {kKeyIns, "K_INS"},  {kKeyDel, "K_DEL"}};
  auto it = names.find(code);
  if (it != names.end()) return it->second;
  if (code > 32 && code < 127) return std::string("K_") + static_cast<char>(code);
  return "";
}

int RouteKey(Element* focused, int code, const std::string& status) {
  Event event;
  event.element = focused;
  event.key = code;
  event.status = status;
  const std::string specific = KeyCallbackName(code);
  for (Element* e = focused; e; e = e->parent) {
    const std::string& attribute =
        !specific.empty() && HasBoundCallback(e, specific) ? specific : std::string("K_ANY");
    if (!HasBoundCallback(e, attribute)) continue;
    int result = Invoke(e, attribute, event);
    if (result != kContinue) return result;
  }
  return kDefault;
}

bool TextAccepts(Element* text, int code, const std::string& resulting) {
  Event event;
  event.key = code;
  event.text = resulting;
  if (Invoke(text, "ACTION", event) == kIgnore) return false;
  const std::string* mask = OwnAttribute(text, "MASK");
  return !mask || mask->empty() || rules::MaskMatches(*mask, resulting, true);
}

Element* MainDialog() { return R().mainDialog; }

void NoteDialogShown(Element* dialog) {
  if (!R().mainDialog) R().mainDialog = dialog;
}

void RequestLoopExit() { R().loopExit = true; }
bool LoopExitRequested() { return R().loopExit; }
bool Scripting() { return R().scripting; }

bool TakeAnswer(test::Answer& answer) {
  if (R().answers.empty()) return false;
  answer = R().answers.front();
  R().answers.pop_front();
  return true;
}

void DeliverQueuedEvents() {
  // Taken one at a time: an event may itself step the loop.
  while (!R().queuedEvents.empty()) {
    std::function<void()> event = std::move(R().queuedEvents.front());
    R().queuedEvents.pop_front();
    event();
  }
}

void RecordMessage(const std::string& title, const std::string& text) {
  R().messages.push_back(title + "|" + text);
}

void CountScriptedPopup() { ++R().scriptedPopups; }

// ---- Life cycle -------------------------------------------------------------

void Open() { R().loopExit = false; }

void Close() {
  auto& reg = R();
  // Destroy dialogs first: their windows own the widgets of their trees.
  while (!reg.roots.empty()) Destroy(reg.roots.back().get());
  // No window may outlive the elements its widgets report to.
  DeleteDroppedWidgets();
  reg.handles.clear();
  reg.handleOrder.clear();
  reg.functions.clear();
  reg.mainDialog = nullptr;
  reg.loopExit = false;
  reg.answers.clear();
  reg.queuedEvents.clear();
  reg.messages.clear();
  reg.scriptedPopups = 0;
}

// ---- Constructors -------------------------------------------------------------

Element* Dialog(Element* child) { return WithChildren("dialog", {child}); }
Element* VBox(std::initializer_list<Element*> children) { return WithChildren("vbox", children); }
Element* HBox(std::initializer_list<Element*> children) { return WithChildren("hbox", children); }
Element* ZBox(std::initializer_list<Element*> children) { return WithChildren("zbox", children); }
Element* Radio(Element* child) { return WithChildren("radio", {child}); }
Element* Frame(Element* child) { return WithChildren("frame", {child}); }
Element* Fill() { return MakeRoot("fill"); }
Element* Label(const std::string& title) { return WithTitle("label", title, ""); }
Element* Button(const std::string& title, const std::string& action) {
  return WithTitle("button", title, action);
}
Element* Toggle(const std::string& title, const std::string& action) {
  return WithTitle("toggle", title, action);
}
Element* Text(const std::string& action) {
  Element* e = MakeRoot("text");
  if (!action.empty()) e->attrs["ACTION"] = action;
  return e;
}
Element* Menu(std::initializer_list<Element*> children) { return WithChildren("menu", children); }
Element* Item(const std::string& title, const std::string& action) {
  return WithTitle("item", title, action);
}
Element* Submenu(const std::string& title, Element* menu) {
  Element* e = WithTitle("submenu", title, "");
  Adopt(e, menu);
  return e;
}
Element* Separator() { return MakeRoot("separator"); }
Element* Color(int r, int g, int b) {
  Element* e = MakeRoot("color");
  e->red = r;
  e->green = g;
  e->blue = b;
  return e;
}
Element* Image(int width, int height, const unsigned char* pixels) {
  Element* e = MakeRoot("image");
  e->imageWidth = std::max(0, width);
  e->imageHeight = std::max(0, height);
  size_t count = static_cast<size_t>(e->imageWidth) * static_cast<size_t>(e->imageHeight);
  if (pixels)
    e->pixels.assign(pixels, pixels + count);
  else
    e->pixels.assign(count, 0);
  return e;
}
Element* Tabs(std::initializer_list<Element*> children) { return WithChildren("tabs", children); }
Element* Dial(const std::string& orientation) {
  Element* e = MakeRoot("dial");
  e->attrs["ORIENTATION"] = orientation;
  return e;
}
Element* Gauge() { return MakeRoot("gauge"); }
Element* GLCanvas(const std::string& action) {
  Element* e = MakeRoot("canvas");
  if (!action.empty()) e->attrs["ACTION"] = action;
  return e;
}
Element* FileDialog() { return MakeRoot("filedlg"); }

void Append(Element* parent, Element* child) {
  if (!parent || !child) return;
  Adopt(parent, child);
  Element* dialog = DialogOf(parent);
  if (dialog && dialog->window) {
    BuildDialog(dialog);
    Relayout(dialog);
  }
}

void Destroy(Element* element) {
  if (!element) return;
  if (element->kind == "dialog" || !element->parent)
    ForgetWidgets(element);  // deletes the dialog's window, which owns its widgets
  else
    DropWidgets(element);
  std::set<Element*> gone;
  CollectSubtree(element, gone);
  ForgetHandles(gone);
  Detach(element);  // the returned ownership goes out of scope here
}

// ---- Attributes ---------------------------------------------------------------

void SetAttribute(Element* e, const std::string& name, const std::string& value) {
  if (!e) return;
  e->attrs[name] = value;
  ApplyAttribute(e, name);
}

void SetfAttribute(Element* e, const std::string& name, const char* format, ...) {
  if (!e || !format) return;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string value;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    value.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(args);
  SetAttribute(e, name, value);
}

void ResetAttribute(Element* e, const std::string& name) {
  if (!e) return;
  e->attrs.erase(name);
  ApplyAttribute(e, name);
}

static bool LookUp(Element* e, const std::string& name, std::string& value) {
  if (!e) return false;
  if (LiveAttribute(e, name, value)) return true;
  if (const std::string* own = OwnAttribute(e, name)) {
    value = *own;
    return true;
  }
  if (IsInheritable(name)) {
    for (Element* up = e->parent; up; up = up->parent) {
      if (const std::string* held = OwnAttribute(up, name)) {
        value = *held;
        return true;
      }
    }
  }
  if ((e->kind == "zbox" || e->kind == "tabs") && name == "VALUE" && !e->children.empty()) {
    value = GetName(e->children.front().get());
    return true;
  }
  if (const char* fallback = KindDefault(e->kind, name)) {
    value = fallback;
    return true;
  }
  return false;
}

std::string GetAttribute(Element* e, const std::string& name) {
  std::string value;
  LookUp(e, name, value);
  return value;
}

bool HasAttribute(Element* e, const std::string& name) {
  std::string value;
  return LookUp(e, name, value);
}

int GetInt(Element* e, const std::string& name) {
  std::string value;
  if (!LookUp(e, name, value)) return 0;
  return std::atoi(value.c_str());
}

double GetFloat(Element* e, const std::string& name) {
  std::string value;
  if (!LookUp(e, name, value)) return 0;
  return std::atof(value.c_str());
}

// ---- Names ------------------------------------------------------------------

void SetHandle(const std::string& name, Element* e) {
  auto& reg = R();
  if (!e) {
    reg.handles.erase(name);
    reg.handleOrder.erase(std::remove(reg.handleOrder.begin(), reg.handleOrder.end(), name),
                          reg.handleOrder.end());
    return;
  }
  if (!reg.handles.count(name)) reg.handleOrder.push_back(name);
  reg.handles[name] = e;
}

Element* GetHandle(const std::string& name) {
  auto it = R().handles.find(name);
  return it == R().handles.end() ? nullptr : it->second;
}

std::string GetName(Element* e) {
  if (!e) return "";
  // The latest name given to the element wins.
  const auto& order = R().handleOrder;
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (R().handles[*it] == e) return *it;
  return "";
}

std::vector<std::string> HandleNames() { return R().handleOrder; }

void SetFunction(const std::string& name, Callback callback) {
  if (callback)
    R().functions[name] = std::move(callback);
  else
    R().functions.erase(name);
}

Callback GetFunction(const std::string& name) {
  auto it = R().functions.find(name);
  return it == R().functions.end() ? Callback() : it->second;
}

// ---- Tree inspection ----------------------------------------------------------

std::string KindOf(Element* e) { return e ? e->kind : ""; }
Element* Parent(Element* e) { return e ? e->parent : nullptr; }
std::vector<Element*> Children(Element* e) {
  std::vector<Element*> out;
  if (e)
    for (auto& child : e->children) out.push_back(child.get());
  return out;
}

// ---- Language -------------------------------------------------------------------

void SetLanguage(const std::string& language) { R().language = language; }
std::string GetLanguage() { return R().language; }

// ---- Masks ------------------------------------------------------------------------

void SetMask(Element* text, const std::string& mask) { SetAttribute(text, "MASK", mask); }

bool MaskAccepts(const std::string& mask, const std::string& text) {
  return rules::MaskMatches(mask, text, true);
}

// ---- Test seam --------------------------------------------------------------------

namespace test {

int Fire(Element* e, const std::string& callbackAttribute, Event event) {
  if (!e) return kDefault;
  if (!event.element) event.element = e;
  if (e->kind == "toggle" && callbackAttribute == "ACTION") SetToggleState(e, event.state != 0);
  if (e->kind == "dial") {
    if (callbackAttribute == "BUTTON_PRESS_CB") event.angle = 0;
    e->dialAngle = event.angle;
  }
  if (e->kind == "text" && callbackAttribute == "ACTION") {
    bool accepted = TextAccepts(e, event.key, event.text);
    if (accepted) SetAttribute(e, "VALUE", event.text);
    return accepted ? kDefault : kIgnore;
  }
  return Invoke(e, callbackAttribute, event);
}

int Key(Element* focused, int code, const std::string& status) {
  int result = RouteKey(focused, code, status);
  bool passedOn = result == kDefault || result == kContinue;
  if (passedOn && focused && focused->kind == "text" && code >= 32 && code < 256 && code != 127)
    Type(focused, std::string(1, static_cast<char>(code)));
  return result;
}

std::string Type(Element* text, const std::string& characters) {
  if (!text) return "";
  for (char c : characters) {
    std::string resulting = GetAttribute(text, "VALUE") + c;
    if (TextAccepts(text, static_cast<unsigned char>(c), resulting))
      SetAttribute(text, "VALUE", resulting);
  }
  return GetAttribute(text, "VALUE");
}

void EnableScripting(bool on) { R().scripting = on; }
void QueueAnswer(Answer answer) { R().answers.push_back(std::move(answer)); }
void QueueEvent(std::function<void()> event) { R().queuedEvents.push_back(std::move(event)); }
size_t PendingAnswers() { return R().answers.size(); }
std::vector<std::string> TakeMessages() {
  std::vector<std::string> out;
  out.swap(R().messages);
  return out;
}
int ScriptedPopups() { return R().scriptedPopups; }

}  // namespace test
}  // namespace tk
