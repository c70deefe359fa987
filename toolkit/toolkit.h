// Brisel's GUI toolkit layer.
//
// The application describes its windows as trees of elements that carry
// string attributes, names the elements it talks to, and receives every user
// action as a call of a named command.  This header is the whole contract:
// only toolkit/ sources include FLTK headers.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tk {

class Element;

// Callback return codes.
constexpr int kIgnore = -1;    // refuse the event (a text's ACTION refusing a key)
constexpr int kDefault = -2;   // go on
constexpr int kClose = -3;     // close the dialog; ends MainLoop for the main dialog
constexpr int kContinue = -4;  // pass a key on to the parent element

// Key codes for extended keys: 256 + the keyboard scan code.
constexpr int kKeyEsc = 27;
constexpr int kKeyCR = 13;
constexpr int kKeyHome = 327;
constexpr int kKeyUp = 328;
constexpr int kKeyPgUp = 329;
constexpr int kKeyLeft = 331;
constexpr int kKeyRight = 333;
constexpr int kKeyEnd = 335;
constexpr int kKeyDown = 336;
constexpr int kKeyPgDn = 337;
constexpr int kKeyIns = 338;
constexpr int kKeyDel = 339;
// Control with a letter: its control character, Control+A 1 ... Control+Z 26.
constexpr int CtrlKey(char letter) { return letter - 'a' + 1; }

// Everything a callback may be told.  Each kind of callback fills the fields
// it documents; the others keep their defaults.
struct Event {
  Element* element = nullptr;  // the element that fired (the focused one for keys)
  int state = 0;        // toggle / item: 1 on, 0 off; canvas button: 1 press, 0 release
  int key = 0;          // K_ANY, key callbacks and text ACTION: key code
  std::string text;     // text ACTION: the text the field would hold
  int button = 0;       // canvas BUTTON_CB: '1' left, '2' middle, '3' right
  int x = 0, y = 0;     // canvas pixels, y growing downwards
  std::string status;   // canvas and keys: "S" Shift at 0, "C" Control at 1;
                        // canvas: '1' '2' '3' at 2..4 for the buttons held
  int width = 0, height = 0;  // RESIZE_CB
  double posx = 0, posy = 0;  // canvas ACTION: scroll positions (world units)
  double angle = 0;     // dial callbacks: radians turned since the press
};

using Callback = std::function<int(const Event&)>;

// ---- Life cycle -----------------------------------------------------------
void Open();   // ready before any element is made
void Close();  // destroys every dialog and forgets handles and commands

// ---- Element constructors (children are owned by the new element) --------
Element* Dialog(Element* child);
Element* VBox(std::initializer_list<Element*> children);
Element* HBox(std::initializer_list<Element*> children);
Element* ZBox(std::initializer_list<Element*> children);
Element* Radio(Element* child);
Element* Frame(Element* child);
Element* Fill();
Element* Label(const std::string& title);
// A button whose VALUE is "ON" is held down: it shows its pressed picture
// (IMPRESS), as the button of a mode that is on.
Element* Button(const std::string& title, const std::string& action);
Element* Toggle(const std::string& title, const std::string& action);
Element* Text(const std::string& action);
Element* Menu(std::initializer_list<Element*> children);
Element* Item(const std::string& title, const std::string& action);
Element* Submenu(const std::string& title, Element* menu);
Element* Separator();
Element* Color(int r, int g, int b);
// One byte per pixel, an index into the colour table held in the attributes
// "0", "1", ...; the value "BGCOLOR" makes an index transparent.
Element* Image(int width, int height, const unsigned char* pixels);
Element* Tabs(std::initializer_list<Element*> children);
Element* Dial(const std::string& orientation);  // "VERTICAL" or "HORIZONTAL"
Element* Gauge();
Element* GLCanvas(const std::string& action);
// File selection dialog configured by DIALOGTYPE, TITLE, FILTER, FILTERINFO and
// DIRECTORY; after Popup its VALUE holds the chosen path, or is absent.
Element* FileDialog();

// Appends a child to a box or menu that already exists (used to grow trees).
void Append(Element* parent, Element* child);
void Destroy(Element* element);

// ---- Attributes -------------------------------------------------------------
// Setting on a null element does nothing.  Values are always copied.
void SetAttribute(Element* e, const std::string& name, const std::string& value);
void SetfAttribute(Element* e, const std::string& name, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Removes the attribute, so that gets fall back to inheritance or default.
void ResetAttribute(Element* e, const std::string& name);
// The element's own value, else (for inheritable attributes, which include
// every attribute the toolkit does not know) the nearest ancestor's value,
// else the toolkit's default for that kind of element, else "".
std::string GetAttribute(Element* e, const std::string& name);
bool HasAttribute(Element* e, const std::string& name);  // same lookup, any value
int GetInt(Element* e, const std::string& name);         // 0 when absent
double GetFloat(Element* e, const std::string& name);    // 0 when absent

// ---- Names ------------------------------------------------------------------
void SetHandle(const std::string& name, Element* e);
Element* GetHandle(const std::string& name);  // nullptr when absent
std::string GetName(Element* e);              // "" when not registered
// Names in order of first registration.
std::vector<std::string> HandleNames();

void SetFunction(const std::string& name, Callback callback);
Callback GetFunction(const std::string& name);  // empty when absent

// ---- Tree inspection --------------------------------------------------------
std::string KindOf(Element* e);  // "dialog", "vbox", "hbox", "zbox", "radio",
                                 // "frame", "fill", "label", "button", "toggle",
                                 // "text", "menu", "item", "submenu",
                                 // "separator", "color", "image", "tabs",
                                 // "dial", "gauge", "canvas", "filedlg"
Element* Parent(Element* e);
std::vector<Element*> Children(Element* e);

// ---- Language ---------------------------------------------------------------
void SetLanguage(const std::string& language);  // "PORTUGUESE" or "ENGLISH"
std::string GetLanguage();

// ---- Showing and the loop ---------------------------------------------------
constexpr int kCenter = -1;
void Map(Element* dialog);
void ShowXY(Element* dialog, int x, int y);  // non-modal
void Show(Element* dialog);
void Hide(Element* dialog);
bool IsVisible(Element* dialog);
// Modal; returns when hidden or closed.  While any modal dialog is up, it
// takes every key, wherever the window system delivers it, and no other
// window gets a click, a drag or the wheel.  It opens with the focus in its
// first text field, the text selected.
int Popup(Element* dialog, int x, int y);
// Dispatches events until a callback of the main dialog returns kClose, the
// main dialog is closed by the window system, or ExitLoop is called.  When
// that happens inside LoopStep (a long computation processing events), the
// loop ends only once control is back in MainLoop; nothing is destroyed
// before Close.
void MainLoop();
void LoopStep();   // process pending events once and return
// Waits at most `seconds` for events or for work handed over by a Waker,
// and processes what came.
void LoopWait(double seconds);
void ExitLoop();   // ends MainLoop as if a callback had returned kClose

// ---- Work handed over by other threads ----------------------------------------
// Only the event thread may touch elements and the canvas.  Another thread
// that has something for them wakes a Waker; its work then runs on the
// event thread when that next processes events (in any loop, modal dialogs
// included).  Wake may be called from any thread at any time, and as often
// as it likes: the work runs once for all the calls made before it starts.
// The work is set, and the waker destroyed, on the event thread; a run
// still pending when it is destroyed is dropped.  Nothing thrown by the
// work leaves it.
struct WakerState;
class Waker {
 public:
  Waker();
  ~Waker();
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;

  void SetWork(std::function<void()> work);
  void Wake();

 private:
  std::shared_ptr<WakerState> state_;
};

// ---- Standard dialogs -------------------------------------------------------
void Message(const std::string& title, const std::string& text);
// Modal question with one button per answer, left to right; the first one
// is also taken by Enter.  Returns the index of the button pressed, or -1
// when the box was closed by its close box or Esc.  While scripting, the
// next answer's first value is the label of the button to press; with no
// answer, a cancelling one or an unknown label the box is closed.  The
// question is recorded like a message box.
int Choose(const std::string& title, const std::string& text,
           const std::vector<std::string>& answers);
// Modal list of check boxes, one per item, starting as `checked` says
// (missing entries unchecked), with "OK" and "Cancelar".  Returns false when
// cancelled or closed, leaving `checked` alone; true with `checked` as the
// boxes were left.  While scripting, the next answer's values are the items
// to check, every other one unchecked; the question is recorded like a
// message box.
bool ChooseSeveral(const std::string& title, const std::string& text,
                   const std::vector<std::string>& items, std::vector<bool>& checked);
// Simple file selection.  `path` holds a filter in its name part and the
// starting directory in its directory part; on success the chosen path is
// written back.  Returns -1 when cancelled, 0 for an existing file, 1 for a
// new one.
int GetFile(std::string& path);
// Data-entry dialog: a title line, then one line per field, "label%W.M%conv".
// One pointer per field, of the type its conversion names (f e g: float*,
// lf: double*, d i o u x: int*, s: std::string*).  Returns -1 on cancel, the
// number of fields when all were read, else the index of the first field
// that could not be read.
int GetParam(const std::string& format, std::initializer_list<void*> fields);

// ---- Text fields ------------------------------------------------------------
// Mask in which "/" escapes the next character ("/d" a digit).  A keystroke
// is refused when the resulting text is neither a whole match nor a prefix of one.
void SetMask(Element* text, const std::string& mask);
bool MaskAccepts(const std::string& mask, const std::string& text);

// ---- OpenGL canvas ----------------------------------------------------------
bool GLMakeCurrent(Element* canvas);
void GLSwapBuffers(Element* canvas);
// Text on the canvas in the current colour, kGLTextSize pixels high, its
// baseline starting at (x, y) of the current projection; and the width in
// pixels such a text takes.  Both need the canvas shown.
constexpr int kGLTextSize = 12;
void GLDrawText(Element* canvas, double x, double y, const std::string& text);
int GLTextWidth(Element* canvas, const std::string& text);
// Asks the canvas to repaint at the next event processing (its ACTION runs).
void Redraw(Element* canvas);

// ---- Test seam --------------------------------------------------------------
// Tests drive elements exactly as their events would, and script the answers
// of modal dialogs so that nothing blocks.
namespace test {
// Calls the callback named by `callbackAttribute` of the element (ACTION,
// K_CR, BUTTON_CB, ...) with `event`; the element field is filled in.
// Returns the callback's result, or kDefault when none is bound.  Updates
// the element's own state the way the real event would (a toggle's VALUE, a
// text's VALUE after an accepted key, a dial's angle).
int Fire(Element* e, const std::string& callbackAttribute, Event event = {});
// Routes a key from `focused` through its parents as the window would, with
// the modifiers in `status` ("S" Shift at 0, "C" Control at 1).
int Key(Element* focused, int code, const std::string& status = "");
// Types characters into a text field through its ACTION filter; returns the
// field's VALUE afterwards.
std::string Type(Element* text, const std::string& characters);

// While scripting is on, every modal dialog (Popup, file dialogs, GetFile,
// GetParam, Message) takes the next queued answer instead of blocking; with
// none queued it is cancelled.  Message boxes are recorded, not shown.
void EnableScripting(bool on);

// One scripted answer for the next modal dialog.
struct Answer {
  bool cancel = false;
  std::vector<std::string> values;  // file path, or the data-entry fields
};
void QueueAnswer(Answer answer);
size_t PendingAnswers();
// Runs `event` from inside the next LoopStep, as the user acting while a
// long computation lets events through would.
void QueueEvent(std::function<void()> event);
// Every message box and question shown while answers are scripted, as
// "title|text".
std::vector<std::string> TakeMessages();
// The number of Popup calls answered from the script so far.
int ScriptedPopups();

// Resizes a mapped dialog's window as the window system does when the user
// drags its border; the layout follows.
void ResizeDialog(Element* dialog, int width, int height);
// Where the layout placed an element in its window, in pixels; for a
// dialog, its window's size.
struct Placement {
  int x = 0, y = 0, w = 0, h = 0;
};
Placement PlacementOf(Element* e);
}  // namespace test

}  // namespace tk
