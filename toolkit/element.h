// Inside the toolkit: the element record and the services its source files
// share.  Only toolkit sources include this; it names FLTK classes without
// including FLTK, so the element model stays independent of the widgets.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

class Fl_Widget;
class Fl_Window;
class Fl_Menu_Bar;
class Fl_Scrollbar;
class Fl_Button;

namespace tk {

class CanvasView;
class DialogWindow;

class Element {
 public:
  explicit Element(std::string k) : kind(std::move(k)) {}
  ~Element();
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  std::string kind;
  Element* parent = nullptr;
  std::vector<std::unique_ptr<Element>> children;
  std::map<std::string, std::string> attrs;

  // Image pixels (one colour index per pixel) and size.
  int imageWidth = 0, imageHeight = 0;
  std::vector<unsigned char> pixels;
  // Colour elements.
  int red = 0, green = 0, blue = 0;

  // Dial: the angle turned since the last press and the pointer position of
  // the last motion.
  double dialAngle = 0;
  int dialLast = 0;
  bool dialHeld = false;

  // Widgets, present once the element's dialog has been mapped.  `widget` is
  // the element's own widget; `extras` are the other widgets it owns (tab
  // headers, scrollbars) so that they can be removed with it.
  Fl_Widget* widget = nullptr;
  std::vector<Fl_Widget*> extras;
  DialogWindow* window = nullptr;  // dialogs
  Fl_Menu_Bar* menuBar = nullptr;  // dialogs with a MENU
  CanvasView* canvas = nullptr;    // canvases
  Fl_Scrollbar* hbar = nullptr;
  Fl_Scrollbar* vbar = nullptr;
  std::vector<Fl_Button*> tabHeaders;  // tabs

  // Where the layout placed the element, in window pixels.
  int x = 0, y = 0, w = 0, h = 0;
};

// ---- core.cpp ----------------------------------------------------------
// The own value of an attribute, without inheritance or defaults.
const std::string* OwnAttribute(const Element* e, const std::string& name);
// The dialog at the root of the element's tree, or nullptr.
Element* DialogOf(Element* e);
// Calls the command named by `attribute` on `e`; kDefault when none is bound.
// A kClose result closes the element's dialog.
int Invoke(Element* e, const std::string& attribute, Event event);
// Routes a key from `focused` through its parents; kDefault when nobody took
// it.  `status` tells the modifiers held, as for canvas events.
int RouteKey(Element* focused, int code, const std::string& status = "");
// The name of the key-specific callback for a code ("K_CR", "K_UP", ...).
std::string KeyCallbackName(int code);
// Decides whether a text field takes a typed character: its ACTION filter
// and its mask.  Returns true when accepted.
bool TextAccepts(Element* text, int code, const std::string& resulting);
// Sets a toggle's VALUE; switching one on turns off the others of its radio.
void SetToggleState(Element* toggle, bool on);
// The main dialog (the first one mapped or shown).
Element* MainDialog();
void NoteDialogShown(Element* dialog);
// Marks the loop to end; also used when the main dialog closes.
void RequestLoopExit();
bool LoopExitRequested();
bool Scripting();
// Takes the next scripted answer; false when none is queued.
bool TakeAnswer(test::Answer& answer);
void RecordMessage(const std::string& title, const std::string& text);
// Runs the events queued by the test seam (tk::test::QueueEvent).
void DeliverQueuedEvents();
void CountScriptedPopup();

// ---- widgets.cpp -------------------------------------------------------
// Creates the widgets of a dialog's tree and lays them out.
void BuildDialog(Element* dialog);
// Applies an attribute that was just set to the element's widgets.
void ApplyAttribute(Element* e, const std::string& name);
// Lays the dialog out again at its current window size.
void Relayout(Element* dialog);
// Removes and deletes the widgets of a subtree (not for dialogs).
void DropWidgets(Element* e);
// Forgets every widget pointer of a subtree (after the window deleted them).
void ForgetWidgets(Element* e);
// Deletes at once the widgets whose deletion was deferred.
void DeleteDroppedWidgets();
// Reads a value the widget holds (X, Y of dialogs, DRAWSIZE of canvases).
bool LiveAttribute(Element* e, const std::string& name, std::string& value);
// Puts the focus in the first text field the dialog shows, its text
// selected; a dialog without one takes the focus itself, so that its keys
// reach it.
void FocusFirstField(Element* dialog);
// Closes a dialog as its close box would (hides it; ends the loop for main).
void CloseDialog(Element* dialog);
// Registers the widget as belonging to the element (for key routing).
void BindWidget(Fl_Widget* widget, Element* e);
void UnbindWidget(Fl_Widget* widget);
Element* ElementOfWidget(Fl_Widget* widget);

// ---- canvas.cpp --------------------------------------------------------
void BuildCanvas(Element* canvas, Fl_Window* window);
void PlaceCanvas(Element* canvas);
void ApplyCanvasAttribute(Element* canvas, const std::string& name);
std::string CanvasDrawSize(Element* canvas);

}  // namespace tk
