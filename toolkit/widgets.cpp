// The element tree on screen: one FLTK window per dialog, with every widget
// of the tree a direct child of that window.  Boxes have no widget of their
// own; our layout places each widget by the natural sizes of the elements.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Roller.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "toolkit/element.h"
#include "toolkit/rules.h"
#include "toolkit/widgets_internal.h"

namespace tk {

namespace {

std::unordered_map<Fl_Widget*, Element*>& WidgetTable() {
  static std::unordered_map<Fl_Widget*, Element*> table;
  return table;
}

constexpr int kMenuHeight = 25;
constexpr int kFrameBorder = 5;
constexpr int kScrollbarSize = 16;

// ---- Text and colours ---------------------------------------------------------

bool ParseRgb(const std::string& text, unsigned char& r, unsigned char& g, unsigned char& b) {
  int red = 0, green = 0, blue = 0;
  if (std::sscanf(text.c_str(), "%d %d %d", &red, &green, &blue) != 3) return false;
  auto clamp = [](int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); };
  r = clamp(red);
  g = clamp(green);
  b = clamp(blue);
  return true;
}

bool ColorAttribute(Element* e, const std::string& name, Fl_Color& color) {
  unsigned char r, g, b;
  if (!HasAttribute(e, name) || !ParseRgb(GetAttribute(e, name), r, g, b)) return false;
  color = fl_rgb_color(r, g, b);
  return true;
}

// "HELVETICA_BOLD_12", "TIMES_BOLD_12", "COURIER_10", ...
void FontOf(Element* e, Fl_Font& face, Fl_Fontsize& size) {
  face = FL_HELVETICA;
  size = FL_NORMAL_SIZE;
  std::string font = GetAttribute(e, "FONT");
  if (font.empty()) return;
  bool bold = font.find("BOLD") != std::string::npos;
  bool italic = font.find("ITALIC") != std::string::npos;
  Fl_Font family = font.rfind("TIMES", 0) == 0     ? FL_TIMES
                   : font.rfind("COURIER", 0) == 0 ? FL_COURIER
                                                   : FL_HELVETICA;
  face = family + (bold ? FL_BOLD : 0) + (italic ? FL_ITALIC : 0);
  size_t digits = font.find_last_of('_');
  if (digits != std::string::npos) {
    int points = std::atoi(font.c_str() + digits + 1);
    if (points > 4 && points < 96) size = points;
  }
}

struct Metrics {
  int charWidth, charHeight;
};

Metrics FontMetrics(Element* e) {
  Fl_Font face;
  Fl_Fontsize size;
  FontOf(e, face, size);
  fl_font(face, size);
  static const char sample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  int average = static_cast<int>(fl_width(sample) / (sizeof sample - 1) + 0.5);
  return {std::max(average, 1), std::max(fl_height(), 1)};
}

int TextWidth(Element* e, const std::string& text) {
  FontMetrics(e);
  return static_cast<int>(fl_width(text.c_str()) + 0.5);
}

bool IsOn(Element* e, const std::string& name) {
  std::string value = GetAttribute(e, name);
  return value == "YES" || value == "ON";
}

bool IsActive(Element* e) {
  for (Element* up = e; up; up = up->parent)
    if (GetAttribute(up, "ACTIVE") == "NO") return false;
  return true;
}

// ---- Natural sizes --------------------------------------------------------------

struct Size {
  int w = 0, h = 0;
};

Size Natural(Element* e);

Size BoxNatural(Element* e, bool vertical) {
  Size size;
  int gap = GetInt(e, "GAP");
  int count = 0;
  for (auto& child : e->children) {
    Size c = Natural(child.get());
    if (vertical) {
      size.h += c.h;
      size.w = std::max(size.w, c.w);
    } else {
      size.w += c.w;
      size.h = std::max(size.h, c.h);
    }
    ++count;
  }
  if (count > 1) (vertical ? size.h : size.w) += gap * (count - 1);
  return size;
}

Size StackNatural(Element* e) {
  Size size;
  for (auto& child : e->children) {
    Size c = Natural(child.get());
    size.w = std::max(size.w, c.w);
    size.h = std::max(size.h, c.h);
  }
  return size;
}

int TabHeaderHeight(Element* tabs) { return FontMetrics(tabs).charHeight + 10; }

std::string TabTitle(Element* tab, size_t index) {
  std::string title = GetAttribute(tab, "TABTITLE");
  return title.empty() ? "Tab " + std::to_string(index + 1) : title;
}

Size KindNatural(Element* e) {
  Metrics m = FontMetrics(e);
  const std::string& k = e->kind;
  if (k == "vbox") return BoxNatural(e, true);
  if (k == "hbox") return BoxNatural(e, false);
  if (k == "zbox" || k == "radio") return StackNatural(e);
  if (k == "dialog") {
    Size s = StackNatural(e);
    if (HasAttribute(e, "MENU")) s.h += kMenuHeight;
    return s;
  }
  if (k == "frame") {
    Size s = StackNatural(e);
    const std::string title = GetAttribute(e, "TITLE");
    s.w += 2 * kFrameBorder;
    // The title is not cut: the frame is at least as wide as its text.
    if (!title.empty()) s.w = std::max(s.w, TextWidth(e, title) + 8 + 2 * kFrameBorder);
    s.h += 2 * kFrameBorder + (title.empty() ? 0 : m.charHeight);
    return s;
  }
  if (k == "tabs") {
    Size s = StackNatural(e);
    int headers = 0;
    for (size_t i = 0; i < e->children.size(); ++i)
      headers += TextWidth(e, TabTitle(e->children[i].get(), i)) + 16;
    s.w = std::max(s.w, headers);
    s.h += TabHeaderHeight(e);
    return s;
  }
  // A left-aligned label keeps 3 pixels free on each side of its text.
  if (k == "label") return {TextWidth(e, GetAttribute(e, "TITLE")) + 8, m.charHeight + 6};
  if (k == "button") {
    Element* image = GetHandle(GetAttribute(e, "IMAGE"));
    if (image && image->kind == "image") {
      // Pictures with a pressed variant draw their own edge; a single
      // picture needs room for the button's.
      const int pad = HasAttribute(e, "IMPRESS") ? 4 : 10;
      return {image->imageWidth + pad, image->imageHeight + pad};
    }
    return {TextWidth(e, GetAttribute(e, "TITLE")) + 16, m.charHeight + 12};
  }
  if (k == "toggle") return {TextWidth(e, GetAttribute(e, "TITLE")) + 28, m.charHeight + 8};
  if (k == "text") return {10 * m.charWidth, m.charHeight + 10};
  if (k == "gauge") return {120, m.charHeight + 8};
  if (k == "dial")
    return GetAttribute(e, "ORIENTATION") == "VERTICAL" ? Size{24, 72} : Size{72, 24};
  if (k == "image") return {e->imageWidth, e->imageHeight};
  if (k == "canvas") {
    Size s{100, 100};
    if (IsOn(e, "SCROLLBAR")) {
      s.w += kScrollbarSize;
      s.h += kScrollbarSize;
    }
    return s;
  }
  return {};
}

// SIZE is in character units: a quarter of the average character width and
// an eighth of the character height.  RASTERSIZE is in pixels; for a canvas
// it is the drawing area, the scrollbars come on top of it.
Size Natural(Element* e) {
  Size size = KindNatural(e);
  Metrics m = FontMetrics(e);
  int w = -1, h = -1;
  if (const std::string* s = OwnAttribute(e, "SIZE"); s && rules::ParseSize(*s, w, h)) {
    if (w >= 0) size.w = (w * m.charWidth + 3) / 4;
    if (h >= 0) size.h = (h * m.charHeight + 7) / 8;
  }
  if (const std::string* s = OwnAttribute(e, "RASTERSIZE"); s && rules::ParseSize(*s, w, h)) {
    int extra = e->kind == "canvas" && IsOn(e, "SCROLLBAR") ? kScrollbarSize : 0;
    if (w >= 0) size.w = w + extra;
    if (h >= 0) size.h = h + extra;
  }
  int mw = 0, mh = 0;
  if (const std::string* s = OwnAttribute(e, "MARGIN"); s && rules::ParseSize(*s, mw, mh)) {
    size.w += 2 * std::max(mw, 0);
    size.h += 2 * std::max(mh, 0);
  }
  return size;
}

// ---- Expansion ---------------------------------------------------------------------

struct Expansion {
  bool horizontal = false, vertical = false;
};

Expansion Expands(Element* e) {
  if (const std::string* own = OwnAttribute(e, "EXPAND")) {
    if (*own == "YES") return {true, true};
    if (*own == "HORIZONTAL") return {true, false};
    if (*own == "VERTICAL") return {false, true};
    return {};
  }
  const std::string& k = e->kind;
  if (k == "fill") {
    if (e->parent && e->parent->kind == "hbox") return {true, false};
    if (e->parent && e->parent->kind == "vbox") return {false, true};
    return {true, true};
  }
  if (k == "canvas") return {true, true};
  if (k == "vbox" || k == "hbox" || k == "zbox" || k == "radio" || k == "frame" ||
      k == "tabs" || k == "dialog") {
    Expansion any;
    for (auto& child : e->children) {
      Expansion c = Expands(child.get());
      any.horizontal |= c.horizontal;
      any.vertical |= c.vertical;
    }
    return any;
  }
  return {};
}

// ---- Layout ------------------------------------------------------------------------

void Place(Element* e, int x, int y, int w, int h);

void Inset(Element* e, int& x, int& y, int& w, int& h) {
  int mw = 0, mh = 0;
  if (const std::string* s = OwnAttribute(e, "MARGIN"); s && rules::ParseSize(*s, mw, mh)) {
    mw = std::max(mw, 0);
    mh = std::max(mh, 0);
    x += mw;
    y += mh;
    w = std::max(0, w - 2 * mw);
    h = std::max(0, h - 2 * mh);
  }
}

// An element that expands across the box takes the box's whole breadth;
// one that does not keeps its natural breadth.  A canvas thus fills the room
// its box has, its RASTERSIZE being the least it gets.
int CrossSize(bool expands, int natural, int inner) {
  return expands ? std::max(inner, natural) : natural;
}

int CrossOffset(Element* box, int inner, int size, bool vertical) {
  std::string align = GetAttribute(box, "ALIGNMENT");
  int room = std::max(0, inner - size);
  if (align == "ACENTER") return room / 2;
  if (vertical ? align == "ARIGHT" : align == "ABOTTOM") return room;
  return 0;
}

void PlaceBox(Element* e, int x, int y, int w, int h, bool vertical) {
  Inset(e, x, y, w, h);
  Size own = BoxNatural(e, vertical);
  int gap = GetInt(e, "GAP");
  int spare = (vertical ? h - own.h : w - own.w);
  int expanders = 0;
  for (auto& child : e->children) {
    Expansion ex = Expands(child.get());
    if (vertical ? ex.vertical : ex.horizontal) ++expanders;
  }
  int pos = vertical ? y : x;
  int shared = 0;
  for (auto& child : e->children) {
    Element* c = child.get();
    Size n = Natural(c);
    Expansion ex = Expands(c);
    int length = vertical ? n.h : n.w;
    if ((vertical ? ex.vertical : ex.horizontal) && spare > 0 && expanders > 0) {
      int share = spare / expanders;
      if (++shared == expanders) share = spare - share * (expanders - 1);
      length += share;
    }
    if (vertical) {
      int breadth = CrossSize(ex.horizontal, n.w, w);
      Place(c, x + CrossOffset(e, w, breadth, true), pos, breadth, length);
    } else {
      int breadth = CrossSize(ex.vertical, n.h, h);
      Place(c, pos, y + CrossOffset(e, h, breadth, false), length, breadth);
    }
    pos += length + gap;
  }
}

void PlaceStack(Element* e, int x, int y, int w, int h) {
  Inset(e, x, y, w, h);
  for (auto& child : e->children) Place(child.get(), x, y, w, h);
}

void PlaceTabs(Element* e, int x, int y, int w, int h) {
  int header = TabHeaderHeight(e);
  int hx = x;
  for (size_t i = 0; i < e->tabHeaders.size() && i < e->children.size(); ++i) {
    int hw = TextWidth(e, TabTitle(e->children[i].get(), i)) + 16;
    e->tabHeaders[i]->resize(hx, y, hw, header);
    hx += hw;
  }
  PlaceStack(e, x, y + header, w, std::max(0, h - header));
}

void Place(Element* e, int x, int y, int w, int h) {
  e->x = x;
  e->y = y;
  e->w = w;
  e->h = h;
  const std::string& k = e->kind;
  if (k == "vbox" || k == "hbox") return PlaceBox(e, x, y, w, h, k == "vbox");
  if (k == "zbox" || k == "radio") return PlaceStack(e, x, y, w, h);
  if (k == "tabs") return PlaceTabs(e, x, y, w, h);
  if (k == "canvas") return PlaceCanvas(e);
  if (e->widget) e->widget->resize(x, y, w, h);
  if (k == "frame") {
    int title = GetAttribute(e, "TITLE").empty() ? 0 : FontMetrics(e).charHeight;
    PlaceStack(e, x + kFrameBorder, y + kFrameBorder + title, std::max(0, w - 2 * kFrameBorder),
               std::max(0, h - 2 * kFrameBorder - title));
  }
}

// ---- Which children show ------------------------------------------------------------

Element* CurrentChild(Element* stack) {
  if (stack->children.empty()) return nullptr;
  std::string value = GetAttribute(stack, "VALUE");
  Element* named = GetHandle(value);
  for (size_t i = 0; i < stack->children.size(); ++i) {
    Element* child = stack->children[i].get();
    if (child == named) return child;
    if (stack->kind == "tabs" && !value.empty() && TabTitle(child, i) == value) return child;
  }
  return stack->children.front().get();
}

void ShowWidget(Fl_Widget* widget, bool shown) {
  if (!widget) return;
  if (shown && !widget->visible()) widget->show();
  if (!shown && widget->visible()) widget->hide();
}

void UpdateVisibility(Element* e, bool shown) {
  ShowWidget(e->widget, shown);
  for (Fl_Widget* extra : e->extras) ShowWidget(extra, shown);
  if (e->canvas) ShowCanvas(e, shown);
  Element* current = (e->kind == "zbox" || e->kind == "tabs") ? CurrentChild(e) : nullptr;
  for (size_t i = 0; i < e->tabHeaders.size() && i < e->children.size(); ++i)
    e->tabHeaders[i]->value(e->children[i].get() == current);
  for (auto& child : e->children)
    UpdateVisibility(child.get(), shown && (!current || child.get() == current));
}

void UpdateActivity(Element* e) {
  bool active = IsActive(e);
  auto apply = [active](Fl_Widget* w) {
    if (!w) return;
    if (active)
      w->activate();
    else
      w->deactivate();
  };
  if (e->kind != "dialog") apply(e->widget);
  for (Fl_Widget* extra : e->extras) apply(extra);
  for (auto& child : e->children) UpdateActivity(child.get());
}

// ---- Widgets --------------------------------------------------------------------------

std::string EscapeLabel(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '@' || c == '&') out += c;  // shown literally, not as a symbol or shortcut
    out += c;
  }
  return out;
}

void SetLabel(Fl_Widget* widget, const std::string& text) {
  widget->copy_label(EscapeLabel(text).c_str());
}

void DialogCallback(Fl_Widget*, void* data) {
  Element* dialog = static_cast<Element*>(data);
  // Esc is a key like any other for the application; only the close box closes.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  if (Invoke(dialog, "CLOSE_CB", Event{}) == kIgnore) return;
  CloseDialog(dialog);
}

void ButtonCallback(Fl_Widget*, void* data) {
  Invoke(static_cast<Element*>(data), "ACTION", Event{});
}

void ToggleCallback(Fl_Widget* widget, void* data) {
  Element* e = static_cast<Element*>(data);
  bool on = static_cast<Fl_Button*>(widget)->value() != 0;
  SetToggleState(e, on);
  Event event;
  event.state = on ? 1 : 0;
  Invoke(e, "ACTION", event);
}

void TabCallback(Fl_Widget* widget, void* data) {
  Element* tabs = static_cast<Element*>(data);
  for (size_t i = 0; i < tabs->tabHeaders.size() && i < tabs->children.size(); ++i) {
    if (tabs->tabHeaders[i] != widget) continue;
    Element* tab = tabs->children[i].get();
    std::string name = GetName(tab);
    SetAttribute(tabs, "VALUE", name.empty() ? TabTitle(tab, i) : name);
  }
}

void MenuCallback(Fl_Widget*, void* data) {
  Element* item = static_cast<Element*>(data);
  Event event;
  event.state = GetAttribute(item, "VALUE") == "OFF" ? 0 : 1;
  Invoke(item, "ACTION", event);
}

std::string EscapeMenuLabel(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '/' || c == '\\') out += '\\';
    if (c == '&' || c == '@') out += c;
    out += c;
  }
  return out;
}

void AddMenuEntries(Fl_Menu_Bar* bar, Element* menu, const std::string& prefix) {
  int last = -1;
  for (auto& child : menu->children) {
    Element* c = child.get();
    std::string path = prefix + EscapeMenuLabel(GetAttribute(c, "TITLE"));
    int flags = GetAttribute(c, "ACTIVE") == "NO" ? FL_MENU_INACTIVE : 0;
    if (c->kind == "separator") {
      if (last >= 0) bar->mode(last, bar->mode(last) | FL_MENU_DIVIDER);
    } else if (c->kind == "item") {
      last = bar->add(path.c_str(), 0, MenuCallback, c, flags);
    } else if (c->kind == "submenu") {
      last = bar->add(path.c_str(), 0, nullptr, nullptr, flags | FL_SUBMENU);
      for (auto& inner : c->children)
        if (inner->kind == "menu") AddMenuEntries(bar, inner.get(), path + "/");
    }
  }
}

void BuildMenuBar(Element* dialog) {
  Element* menu = GetHandle(GetAttribute(dialog, "MENU"));
  if (!menu || menu->kind != "menu") {
    if (dialog->menuBar) dialog->menuBar->hide();
    return;
  }
  if (!dialog->menuBar) {
    dialog->window->begin();
    dialog->menuBar = new Fl_Menu_Bar(0, 0, dialog->window->w(), kMenuHeight);
    dialog->window->end();
  }
  dialog->menuBar->clear();
  AddMenuEntries(dialog->menuBar, menu, "");
  dialog->menuBar->show();
}

Fl_Color LatchedFace(Fl_Color face) { return fl_color_average(face, FL_BLACK, 0.72f); }

std::unique_ptr<IndexedImage> MakeImage(Element* image, Fl_Color background) {
  if (!image || image->kind != "image" || image->imageWidth <= 0 || image->imageHeight <= 0)
    return nullptr;
  unsigned char br, bg, bb;
  Fl::get_color(background, br, bg, bb);
  auto out = std::make_unique<IndexedImage>();
  out->rgb.resize(image->pixels.size() * 3);
  for (size_t i = 0; i < image->pixels.size(); ++i) {
    std::string entry = GetAttribute(image, std::to_string(image->pixels[i]));
    unsigned char r = br, g = bg, b = bb;
    if (entry != "BGCOLOR") ParseRgb(entry, r, g, b);
    out->rgb[3 * i] = r;
    out->rgb[3 * i + 1] = g;
    out->rgb[3 * i + 2] = b;
  }
  out->image = std::make_unique<Fl_RGB_Image>(out->rgb.data(), image->imageWidth,
                                              image->imageHeight, 3);
  return out;
}

void ResolveButtonImages(Element* e) {
  auto* button = dynamic_cast<ImageButton*>(e->widget);
  if (!button) return;
  Fl_Color background = button->color();
  button->released = MakeImage(GetHandle(GetAttribute(e, "IMAGE")), background);
  button->pressed = MakeImage(GetHandle(GetAttribute(e, "IMPRESS")), background);
  button->latched = MakeImage(GetHandle(GetAttribute(e, "IMPRESS")), LatchedFace(background));
  SetLabel(button, button->released ? "" : GetAttribute(e, "TITLE"));
  button->redraw();
}

void ApplyGauge(Element* e) {
  auto* gauge = static_cast<Fl_Progress*>(e->widget);
  double value = std::clamp(GetFloat(e, "VALUE"), 0.0, 1.0);
  gauge->value(static_cast<float>(value));
  SetLabel(gauge, rules::GaugeText(value, IsOn(e, "SHOW_TEXT"), OwnAttribute(e, "TEXT") != nullptr,
                                   GetAttribute(e, "TEXT")));
}

void ApplyColours(Element* e) {
  Fl_Widget* w = e->widget;
  if (!w || e->kind == "dialog") return;
  Fl_Color color;
  if (ColorAttribute(e, "FGCOLOR", color)) {
    w->labelcolor(color);
    if (auto* input = dynamic_cast<Fl_Input*>(w)) input->textcolor(color);
  }
  if (OwnAttribute(e, "BGCOLOR") && ColorAttribute(e, "BGCOLOR", color)) w->color(color);
  Fl_Font face;
  Fl_Fontsize size;
  FontOf(e, face, size);
  w->labelfont(face);
  w->labelsize(size);
  if (auto* input = dynamic_cast<Fl_Input*>(w)) {
    input->textfont(face);
    input->textsize(size);
  }
}

bool InRadio(const Element* e) {
  for (const Element* p = e->parent; p; p = p->parent)
    if (p->kind == "radio") return true;
  return false;
}

Fl_Widget* CreateWidget(Element* e) {
  const std::string& k = e->kind;
  const std::string title = GetAttribute(e, "TITLE");
  Fl_Widget* w = nullptr;
  if (k == "label") {
    w = new Fl_Box(0, 0, 10, 10);
    w->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  } else if (k == "frame") {
    auto* box = new Fl_Box(FL_ENGRAVED_FRAME, 0, 0, 10, 10, nullptr);
    box->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    w = box;
  } else if (k == "button") {
    w = new ImageButton(e);
    w->callback(ButtonCallback, e);
  } else if (k == "toggle") {
    auto* toggle = new Fl_Check_Button(0, 0, 10, 10);
    // One of a set of exclusive choices shows as a round button.
    if (InRadio(e)) toggle->down_box(FL_ROUND_DOWN_BOX);
    w = toggle;
    w->callback(ToggleCallback, e);
  } else if (k == "text") {
    w = new TextInput(e);
  } else if (k == "gauge") {
    auto* gauge = new Fl_Progress(0, 0, 10, 10);
    gauge->minimum(0);
    gauge->maximum(1);
    gauge->selection_color(fl_rgb_color(60, 110, 200));
    w = gauge;
  } else if (k == "dial") {
    w = new DialRoller(e);
  } else if (k == "image") {
    auto* box = new ImageBox(0, 0, e->imageWidth, e->imageHeight);
    box->picture = MakeImage(e, FL_BACKGROUND_COLOR);
    if (box->picture) box->image(box->picture->image.get());
    w = box;
  }
  if (w && (k == "label" || k == "frame" || k == "button" || k == "toggle")) SetLabel(w, title);
  return w;
}

void CreateWidgets(Element* e) {
  if (!e->widget && e->extras.empty() && !e->canvas) {
    if (e->kind == "canvas") {
      BuildCanvas(e, DialogOf(e)->window);
    } else if (e->kind == "tabs") {
      for (size_t i = 0; i < e->children.size(); ++i) {
        auto* header = new Fl_Button(0, 0, 10, 10);
        header->type(FL_RADIO_BUTTON);
        header->box(FL_UP_BOX);
        header->down_box(FL_DOWN_BOX);
        SetLabel(header, TabTitle(e->children[i].get(), i));
        header->callback(TabCallback, e);
        e->tabHeaders.push_back(header);
        e->extras.push_back(header);
      }
    } else if ((e->widget = CreateWidget(e))) {
      BindWidget(e->widget, e);
      ApplyColours(e);
      if (e->kind == "text") static_cast<Fl_Input*>(e->widget)->value(GetAttribute(e, "VALUE").c_str());
      if (e->kind == "toggle") static_cast<Fl_Button*>(e->widget)->value(IsOn(e, "VALUE"));
      if (e->kind == "button") static_cast<ImageButton*>(e->widget)->held = IsOn(e, "VALUE");
      if (e->kind == "gauge") ApplyGauge(e);
      if (HasAttribute(e, "TIP")) e->widget->copy_tooltip(GetAttribute(e, "TIP").c_str());
    }
  }
  for (auto& child : e->children) CreateWidgets(child.get());
}

void LayoutDialog(Element* dialog) {
  if (!dialog->window) return;
  // The dialog's own placement is its window's size.
  dialog->x = dialog->y = 0;
  dialog->w = dialog->window->w();
  dialog->h = dialog->window->h();
  int top = 0;
  if (dialog->menuBar && dialog->menuBar->visible()) {
    dialog->menuBar->resize(0, 0, dialog->window->w(), kMenuHeight);
    top = kMenuHeight;
  }
  int x = 0, y = top, w = dialog->window->w(), h = dialog->window->h() - top;
  Inset(dialog, x, y, w, h);
  for (auto& child : dialog->children) Place(child.get(), x, y, w, h);
  dialog->window->redraw();
}

bool IsKeyEvent(int event) {
  return event == FL_KEYBOARD || event == FL_KEYUP || event == FL_SHORTCUT;
}

bool IsPointerEvent(int event) {
  return event == FL_PUSH || event == FL_RELEASE || event == FL_DRAG || event == FL_MOVE ||
         event == FL_MOUSEWHEEL;
}

// While a modal window is up it owns the input, whichever window the X
// server delivers an event to: without a window manager, or with one whose
// focus follows the mouse, keys go to the window under the pointer.  Keys
// are taken to the modal window; clicks, drags and the wheel anywhere else
// are dropped.  Returns the window that gets the event, or null.
Fl_Window* InputOwner(int event, Fl_Window* window) {
  Fl_Window* modal = Fl::modal();
  if (!modal || !window || window->top_window() == modal) return window;
  if (IsKeyEvent(event)) return modal;
  if (!IsPointerEvent(event)) return window;
  // A button pressed before the dialog opened must not stay held for its
  // window, or every later motion there would count as a drag.
  if (event == FL_RELEASE && Fl::pushed() && !modal->contains(Fl::pushed()))
    Fl::pushed(nullptr);
  return nullptr;
}

// A key belongs to the window it reached: when the focus is in another
// window, or nowhere (its widget was deleted with a closed dialog), the
// window itself takes it, so that the key neither gets lost nor acts on a
// window the user is not typing into.
void KeepFocusIn(Fl_Window* top) {
  if (!top->contains(Fl::focus())) Fl::focus(top);
}

// The key callbacks of the focused element and its parents see the key
// first; a key they take (kIgnore, kClose) goes no further, so that no
// widget acts on it a second time.
bool KeyTakenByCallbacks() {
  Element* focused = ElementOfWidget(Fl::focus());
  const int code = focused ? KeyCodeOfEvent() : 0;
  if (!code) return false;
  const int result = RouteKey(focused, code, StatusOfEvent());
  return result == kIgnore || result == kClose;
}

int DispatchEvent(int event, Fl_Window* window) {
  window = InputOwner(event, window);
  if (!window) return 1;
  // While a menu is open (it holds the grab) its keys are the menu's: the
  // arrows that walk the menu must not also reach the application's keys.
  if (event == FL_KEYBOARD && !Fl::grab()) {
    window = window->top_window();
    KeepFocusIn(window);
    if (KeyTakenByCallbacks()) return 1;
  }
  return Fl::handle_(event, window);
}

void ApplyWindowFlags(Element* dialog) {
  DialogWindow* window = dialog->window;
  Size natural = Natural(dialog);
  window->leastW = std::max(natural.w, 1);
  window->leastH = std::max(natural.h, 1);
  std::string resize = GetAttribute(dialog, "RESIZE");
  if (resize == "NO" || resize == "OFF")
    window->size_range(natural.w, natural.h, natural.w, natural.h);
  else
    window->size_range(window->leastW, window->leastH);
}

}  // namespace

// ---- Widget classes ------------------------------------------------------------------

DialogWindow::DialogWindow(Element* dialog, int w, int h)
    : Fl_Double_Window(w, h), element(dialog) {}

void DialogWindow::resize(int X, int Y, int W, int H) {
  bool resized = W != w() || H != h();
  Fl_Double_Window::resize(X, Y, W, H);
  // Only a window manager holds a window to its least size; without one a
  // window made smaller grows back at once, so that no control is cut off.
  if (resized && (W < leastW || H < leastH)) {
    size(std::max(W, leastW), std::max(H, leastH));
    return;
  }
  if (resized) LayoutDialog(element);
}

ImageButton::ImageButton(Element* e) : Fl_Button(0, 0, 10, 10), element(e) {}

namespace {

// The box of a button shown down; a button without a down box of its own
// uses the sunken form of its box.
Fl_Boxtype DownBox(const Fl_Button* button) {
  return button->down_box() ? button->down_box() : fl_down(button->box());
}

}  // namespace

void ImageButton::draw() {
  const bool down = value() || held;
  if (!released) {
    if (!down || value()) {
      Fl_Button::draw();
      return;
    }
    draw_box(DownBox(this), color());
    draw_label();
    if (Fl::focus() == this) draw_focus();
    return;
  }
  // A button with a pressed picture shows its state through its pictures,
  // which carry their own raised or sunken edge, so it paints only its
  // background; a single picture sits on the usual button face.
  const bool latchedDown = held && latched;
  IndexedImage* shown = latchedDown ? latched.get() : down && pressed ? pressed.get() : released.get();
  if (pressed)
    draw_box(FL_FLAT_BOX, latchedDown ? LatchedFace(color()) : color());
  else
    draw_box(down ? DownBox(this) : box(), color());
  Fl_Image* picture = shown->image.get();
  const int shift = down && !pressed ? 1 : 0;
  const int px = x() + (w() - picture->w()) / 2 + shift;
  const int py = y() + (h() - picture->h()) / 2 + shift;
  if (active_r()) {
    picture->draw(px, py);
  } else {
    std::unique_ptr<Fl_Image> greyed(picture->copy());
    greyed->inactive();
    greyed->draw(px, py);
  }
  if (Fl::focus() == this) draw_focus();
}

TextInput::TextInput(Element* e) : Fl_Input(0, 0, 10, 10), element(e) {
  when(FL_WHEN_CHANGED);
  callback(Changed, e);
}

void TextInput::Changed(Fl_Widget* widget, void* data) {
  static_cast<Element*>(data)->attrs["VALUE"] = static_cast<Fl_Input*>(widget)->value();
}

std::string TextInput::Resulting(const std::string& inserted) const {
  std::string current = value() ? value() : "";
  int from = std::min(position(), mark()), to = std::max(position(), mark());
  from = std::clamp(from, 0, static_cast<int>(current.size()));
  to = std::clamp(to, from, static_cast<int>(current.size()));
  if (inserted.empty() && from == to) {
    if (from == 0) return current;
    --from;  // backspace removes the character before the cursor
  }
  return current.substr(0, from) + inserted + current.substr(to);
}

int TextInput::handle(int event) {
  if (event == FL_KEYBOARD && !(Fl::event_state() & (FL_CTRL | FL_ALT | FL_META))) {
    int key = Fl::event_key();
    const char* text = Fl::event_text();
    if (key == FL_BackSpace) {
      if (!TextAccepts(element, 8, Resulting(""))) return 1;
    } else if (Fl::event_length() > 0 && static_cast<unsigned char>(text[0]) >= 32 &&
               text[0] != 127) {
      std::string typed(text, static_cast<size_t>(Fl::event_length()));
      if (!TextAccepts(element, KeyCodeOfEvent(), Resulting(typed))) return 1;
    }
  }
  if (event == FL_PASTE && Fl::event_length() > 0) {
    std::string pasted(Fl::event_text(), static_cast<size_t>(Fl::event_length()));
    if (!TextAccepts(element, static_cast<unsigned char>(pasted[0]), Resulting(pasted))) return 1;
  }
  int handled = Fl_Input::handle(event);
  if (event == FL_UNFOCUS) Invoke(element, "KILLFOCUS_CB", Event{});
  return handled;
}

DialRoller::DialRoller(Element* e) : Fl_Roller(0, 0, 10, 10), element(e) {
  type(GetAttribute(e, "ORIENTATION") == "VERTICAL" ? FL_VERTICAL : FL_HORIZONTAL);
  bounds(-1e9, 1e9);
  step(0.01);
}

int DialRoller::handle(int event) {
  bool vertical = type() == FL_VERTICAL;
  int pointer = vertical ? Fl::event_y() : Fl::event_x();
  Event report;
  switch (event) {
    case FL_PUSH:
      if (Fl::event_button() != FL_LEFT_MOUSE) return 1;
      element->dialHeld = true;
      element->dialAngle = 0;
      element->dialLast = pointer;
      report.angle = 0;
      Invoke(element, "BUTTON_PRESS_CB", report);
      break;
    case FL_DRAG: {
      if (!element->dialHeld) return 1;
      int movement = vertical ? element->dialLast - pointer : pointer - element->dialLast;
      element->dialLast = pointer;
      element->dialAngle =
          rules::DialAdvance(element->dialAngle, movement, vertical ? h() : w());
      report.angle = element->dialAngle;
      Invoke(element, "MOUSEMOVE_CB", report);
      break;
    }
    case FL_RELEASE:
      if (!element->dialHeld || Fl::event_button() != FL_LEFT_MOUSE) return 1;
      element->dialHeld = false;
      report.angle = element->dialAngle;
      Invoke(element, "BUTTON_RELEASE_CB", report);
      break;
    default:
      break;
  }
  return Fl_Roller::handle(event);
}

int KeyCodeOfEvent() {
  switch (Fl::event_key()) {
    case FL_Escape: return kKeyEsc;
    case FL_Enter:
    case FL_KP_Enter: return kKeyCR;
    case FL_BackSpace: return 8;
    case FL_Tab: return 9;
    case FL_Home: return kKeyHome;
    case FL_Up: return kKeyUp;
    case FL_Page_Up: return kKeyPgUp;
    case FL_Left: return kKeyLeft;
    case FL_Right: return kKeyRight;
    case FL_End: return kKeyEnd;
    case FL_Down: return kKeyDown;
    case FL_Page_Down: return kKeyPgDn;
    case FL_Insert: return kKeyIns;
    case FL_Delete: return kKeyDel;
    default: break;
  }
  const int key = Fl::event_key();
  if ((Fl::event_state() & FL_CTRL) && key >= 'a' && key <= 'z') return key - 'a' + 1;
  if (Fl::event_length() <= 0) return 0;
  const char* text = Fl::event_text();
  int length = 0;
  unsigned code = fl_utf8decode(text, text + Fl::event_length(), &length);
  return static_cast<int>(code);
}

// ---- Shared with the other toolkit sources -----------------------------------------------

void BindWidget(Fl_Widget* widget, Element* e) {
  if (widget) WidgetTable()[widget] = e;
}
void UnbindWidget(Fl_Widget* widget) { WidgetTable().erase(widget); }
Element* ElementOfWidget(Fl_Widget* widget) {
  for (; widget; widget = widget->parent()) {
    auto it = WidgetTable().find(widget);
    if (it != WidgetTable().end()) return it->second;
  }
  return nullptr;
}

void FocusAndSelect(Fl_Widget* widget) {
  if (!widget || !widget->take_focus()) return;
  if (auto* input = dynamic_cast<Fl_Input_*>(widget)) input->position(input->size(), 0);
}

namespace {

Element* FirstShownField(Element* e) {
  if (e->kind == "text" && e->widget && e->widget->visible() && e->widget->active_r()) return e;
  for (auto& child : e->children)
    if (Element* field = FirstShownField(child.get())) return field;
  return nullptr;
}

}  // namespace

void FocusFirstField(Element* dialog) {
  if (!dialog || !dialog->window) return;
  if (Element* field = FirstShownField(dialog)) {
    FocusAndSelect(field->widget);
    if (dialog->window->contains(Fl::focus())) return;
  }
  Fl::focus(dialog->window);
}

void BuildDialog(Element* dialog) {
  static bool dispatching = false;
  if (!dispatching) {
    Fl::event_dispatch(DispatchEvent);
    FL_NORMAL_SIZE = 12;  // a compact face keeps wide tool bars on the screen
    dispatching = true;
  }
  fl_open_display();
  if (!dialog->window) {
    Size natural = Natural(dialog);
    dialog->window = new DialogWindow(dialog, std::max(natural.w, 1), std::max(natural.h, 1));
    dialog->window->end();
    dialog->window->callback(DialogCallback, dialog);
    dialog->window->copy_label(GetAttribute(dialog, "TITLE").c_str());
    BindWidget(dialog->window, dialog);
    if (IsOn(dialog, "TOPMOST")) dialog->window->set_non_modal();
  }
  BuildMenuBar(dialog);
  dialog->window->begin();
  for (auto& child : dialog->children) CreateWidgets(child.get());
  dialog->window->end();
  for (auto& child : dialog->children) UpdateVisibility(child.get(), true);
  UpdateActivity(dialog);
  ApplyWindowFlags(dialog);
  LayoutDialog(dialog);
  ResolveImages(dialog);
}

void ResolveImages(Element* e) {
  if (e->kind == "button") ResolveButtonImages(e);
  for (auto& child : e->children) ResolveImages(child.get());
}

void Relayout(Element* dialog) {
  if (!dialog || !dialog->window) return;
  Size natural = Natural(dialog);
  ApplyWindowFlags(dialog);
  int w = std::max(dialog->window->w(), natural.w), h = std::max(dialog->window->h(), natural.h);
  if (w != dialog->window->w() || h != dialog->window->h())
    dialog->window->size(w, h);
  else
    LayoutDialog(dialog);
}

void ApplyAttribute(Element* e, const std::string& name) {
  Element* dialog = DialogOf(e);
  if (!dialog || !dialog->window) return;
  if (e->kind == "dialog") {
    if (name == "TITLE") e->window->copy_label(GetAttribute(e, "TITLE").c_str());
    if (name == "MENU") {
      BuildMenuBar(e);
      Relayout(e);
    }
    if (name == "ACTIVE") UpdateActivity(e);
    return;
  }
  if (e->kind == "item" || e->kind == "submenu" || e->kind == "separator") {
    if (name == "TITLE" || name == "ACTIVE") BuildMenuBar(dialog);
    return;
  }
  if (e->kind == "canvas") ApplyCanvasAttribute(e, name);
  Fl_Widget* w = e->widget;
  if (name == "SIZE" || name == "RASTERSIZE" || name == "EXPAND" || name == "MARGIN" ||
      name == "GAP" || name == "ALIGNMENT") {
    Relayout(dialog);
  } else if (name == "ACTIVE") {
    UpdateActivity(e);
  } else if (name == "VALUE" && (e->kind == "zbox" || e->kind == "tabs")) {
    // The stack's own visibility follows its ancestors; recompute from the top.
    for (auto& child : dialog->children) UpdateVisibility(child.get(), true);
  } else if (!w) {
    return;
  } else if (name == "TITLE" && e->kind != "text" && e->kind != "gauge") {
    if (e->kind == "button" && dynamic_cast<ImageButton*>(w) &&
        static_cast<ImageButton*>(w)->released)
      return;
    SetLabel(w, GetAttribute(e, "TITLE"));
  } else if (name == "VALUE" && e->kind == "text") {
    static_cast<Fl_Input*>(w)->value(GetAttribute(e, "VALUE").c_str());
  } else if (name == "VALUE" && e->kind == "toggle") {
    static_cast<Fl_Button*>(w)->value(IsOn(e, "VALUE"));
  } else if (name == "VALUE" && e->kind == "button") {
    if (auto* button = dynamic_cast<ImageButton*>(w)) button->held = IsOn(e, "VALUE");
  } else if (e->kind == "gauge" && (name == "VALUE" || name == "SHOW_TEXT" || name == "TEXT")) {
    ApplyGauge(e);
  } else if (name == "FGCOLOR" || name == "BGCOLOR" || name == "FONT") {
    ApplyColours(e);
  } else if (name == "TIP") {
    w->copy_tooltip(GetAttribute(e, "TIP").c_str());
  } else if (name == "IMAGE" || name == "IMPRESS") {
    ResolveButtonImages(e);
  }
  if (w) w->redraw();
}

void DropWidgets(Element* e) {
  for (auto& child : e->children) DropWidgets(child.get());
  std::vector<Fl_Widget*> owned = e->extras;
  if (e->widget) owned.push_back(e->widget);
  for (Fl_Widget* w : owned) {
    UnbindWidget(w);
    if (w->parent()) w->parent()->remove(w);
    Fl::delete_widget(w);
  }
  if (e->canvas) DropCanvas(e);
  e->widget = nullptr;
  e->extras.clear();
  e->tabHeaders.clear();
  e->hbar = e->vbar = nullptr;
}

void ForgetWidgets(Element* e) {
  for (auto& child : e->children) ForgetWidgets(child.get());
  if (e->window) {
    UnbindWidget(e->window);
    e->window->hide();
    Fl::delete_widget(e->window);  // deletes every widget of the tree with it
    e->window = nullptr;
    e->menuBar = nullptr;
  }
  if (e->widget) UnbindWidget(e->widget);
  for (Fl_Widget* w : e->extras) UnbindWidget(w);
  if (e->canvas) ForgetCanvas(e);
  e->widget = nullptr;
  e->extras.clear();
  e->tabHeaders.clear();
  e->hbar = e->vbar = nullptr;
}

void DeleteDroppedWidgets() { Fl::do_widget_deletion(); }

bool LiveAttribute(Element* e, const std::string& name, std::string& value) {
  if (e->kind == "dialog" && e->window && (name == "X" || name == "Y")) {
    value = std::to_string(name == "X" ? e->window->x() : e->window->y());
    return true;
  }
  if (e->kind == "canvas" && name == "DRAWSIZE") {
    value = CanvasDrawSize(e);
    return true;
  }
  return false;
}

void CloseDialog(Element* dialog) {
  if (!dialog) return;
  if (dialog == MainDialog()) {
    RequestLoopExit();
    return;
  }
  dialog->attrs["VISIBLE"] = "NO";
  if (dialog->window) dialog->window->hide();
}

namespace test {

void ResizeDialog(Element* dialog, int width, int height) {
  if (dialog && dialog->window) dialog->window->size(width, height);
}

Placement PlacementOf(Element* e) {
  if (!e) return {};
  return {e->x, e->y, e->w, e->h};
}

}  // namespace test
}  // namespace tk
