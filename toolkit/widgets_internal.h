// The FLTK widget classes behind the elements.  Included by toolkit sources
// only.
#pragma once

#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Roller.H>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/element.h"

namespace tk {

class DialogWindow : public Fl_Double_Window {
 public:
  DialogWindow(Element* dialog, int w, int h);
  void resize(int X, int Y, int W, int H) override;
  Element* element;
  // The least size at which every control of the tree shows.
  int leastW = 1, leastH = 1;
};

// An image element turned into true colour, with its transparent index
// replaced by the background it is drawn on.
struct IndexedImage {
  std::vector<unsigned char> rgb;
  std::unique_ptr<Fl_RGB_Image> image;
};

// A button showing the IMAGE picture, and IMPRESS while it is pressed or
// its VALUE is "ON" (held down, as the button of a mode that is on).
class ImageButton : public Fl_Button {
 public:
  explicit ImageButton(Element* e);
  void draw() override;
  Element* element;
  bool held = false;
  // `latched` is the pressed picture on a darker face, shown while the
  // button stays down (the tool of the current mode), so that it stands out
  // from a button only held down by the mouse.
  std::unique_ptr<IndexedImage> released, pressed, latched;
};

class ImageBox : public Fl_Box {
 public:
  using Fl_Box::Fl_Box;
  std::unique_ptr<IndexedImage> picture;
};

// A single-line text that asks its element's ACTION (and mask) before taking
// a character, keeps VALUE up to date and reports losing the focus.
class TextInput : public Fl_Input {
 public:
  explicit TextInput(Element* e);
  int handle(int event) override;
  Element* element;

 private:
  static void Changed(Fl_Widget* widget, void* data);
  std::string Resulting(const std::string& inserted) const;
};

// A roller that reports the angle turned since the press.
class DialRoller : public Fl_Roller {
 public:
  explicit DialRoller(Element* e);
  int handle(int event) override;
  Element* element;
};

// The OpenGL drawing area of a canvas element.
class CanvasView : public Fl_Gl_Window {
 public:
  CanvasView(Element* e, int w, int h);
  void flush() override;
  void draw() override;
  int handle(int event) override;
  void resize(int X, int Y, int W, int H) override;
  // Runs the element's ACTION with the scroll positions, reporting a new size
  // first; shows the frame unless the action did so itself.
  void Repaint();
  // Shows the finished back buffer and copies it to the front buffer.
  void Present();
  Element* element;
  bool inRepaint = false;
  bool presented = false;
  int reportedW = -1, reportedH = -1;
};

// The key code of the current keyboard event.  Control with a letter gives
// the letter's control character (Control+A 1 ... Control+Z 26), whatever
// else is held.
int KeyCodeOfEvent();
// The modifiers and mouse buttons of the current event as a status string:
// 'S' at 0 for Shift, 'C' at 1 for Control, '1' '2' '3' at 2 to 4.
std::string StatusOfEvent();
void ResolveImages(Element* e);
// Gives the widget the focus; a text field's text is then selected, so that
// typing replaces it.
void FocusAndSelect(Fl_Widget* widget);
void ShowCanvas(Element* canvas, bool shown);
void DropCanvas(Element* canvas);
void ForgetCanvas(Element* canvas);

}  // namespace tk
