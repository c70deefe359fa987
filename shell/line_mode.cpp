#include "shell/line_mode.h"

#include <cmath>
#include <cstdio>

#include "shell/line_dialogs.h"
#include "view/pick.h"

namespace cmd {

namespace {

struct LineTexts {
  const char* firstPoint;
  const char* endPoint;
  const char* length;  // printf format of the length read-out
  const char* keyboard;
};

const LineTexts kEnglish = {
    "Enter first point with mouse left button; Mid button => Keyboard.",
    "Enter end point; Mid button => Keyboard; Right button => Cancel.", "Length = %10.3f",
    "Use the keyboard to enter line data. "};
const LineTexts kPortuguese = {
    "Entre primeiro ponto com botao esquerdo do mouse; Botao do meio => Teclado.",
    "Entre com ponto final; Botao do meio => Teclado; Botao da direita => Cancela.",
    "Comprimento = %10.3f", "Digite dados da linha. "};

const LineTexts& TextsOfLanguage() {
  return tk::GetLanguage() == "ENGLISH" ? kEnglish : kPortuguese;
}

// The line being drawn with the mouse; one at a time, so one instance.
LineInput line;
const LineTexts* texts = &kPortuguese;

// Where the keyboard-only entry starts the next line, and the tolerance it
// offers again.
struct {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
} lastKeyedLine;
double keyTolerance = 0.001;

void Prompt(const char* text) {
  if (line.message) line.message(nullptr, text);
}

void Done(int status) {
  if (line.done) line.done(nullptr, status);
}

// How a pick that did not complete ends the line: -1 stays -1 (another
// command decides), a right-button cancel gives `cancelled`.
void EndUnfinished(int pickStatus, int cancelled) {
  Done(pickStatus == PickEndedByCommand ? -1 : cancelled);
}

void Adjust(PickRequest* r, double* x, double* y, double) {
  if (line.firstPointSet && PickShift(*r)) DirectionLock(line.x0, line.y0, *x, *y);
  if (line.adjust) line.adjust(*x, *y, PickControl(*r));
}

void Motion(PickRequest*, double x, double y) {
  if (line.firstPointSet && line.message) {
    char text[80];
    std::snprintf(text, sizeof text, texts->length, std::hypot(line.x0 - x, line.y0 - y));
    line.message(nullptr, text);
  }
  if (line.coordinates) line.coordinates(nullptr, x, y);
}

void EndPointAccepted(PickRequest* r);

void FirstPointAccepted(PickRequest* r) {
  if (r->pickStatus != PickAccepted) return EndUnfinished(r->pickStatus, 0);
  line.x0 = r->anchor.x;
  line.y0 = r->anchor.y;
  if (r->button == 2) {
    if (!FirstPointDialog(line.x0, line.y0)) return Done(0);
    r->anchor = {line.x0, line.y0};
  }
  line.firstPointSet = true;
  Prompt(texts->endPoint);
  // The rubber line runs from the first point to the cursor.
  PickRequest next = *r;
  next.echoStyle = EchoCross + EchoBox + EchoLine;
  next.button = 0;
  next.acceptCallback = EndPointAccepted;
  PickStart(next);
}

void EndPointAccepted(PickRequest* r) {
  line.x1 = r->anchor.x;
  line.y1 = r->anchor.y;
  // The right button drops the first point and starts a new line.
  if (r->pickStatus != PickAccepted) return EndUnfinished(r->pickStatus, 1);
  // A clicked end point closer than the aperture to the first is a second
  // click at the same place; typed points are exact and only need a length.
  double shortest = r->tolerance;
  if (r->button == 2) {
    if (!EndPointDialog(line.x0, line.y0, line.x1, line.y1)) return Done(0);
    shortest = 0;
  }
  const double length = std::hypot(line.x1 - line.x0, line.y1 - line.y0);
  const bool longEnough = shortest > 0 ? length >= shortest : length > 0;
  if (longEnough && line.create) line.create(line.x0, line.y0, line.x1, line.y1);
  Done(1);
}

}  // namespace

void StartMouseLine(const LineInput& input) {
  texts = &TextsOfLanguage();
  line = input;
  line.x0 = line.y0 = line.x1 = line.y1 = 0;
  line.firstPointSet = false;
  Prompt(texts->firstPoint);
  PickRequest r;
  r.canvas = line.canvas;
  r.pickKind = PickKindPoint;
  r.echoStyle = EchoCross + EchoBox;
  r.button = 0;
  r.acceptCallback = FirstPointAccepted;
  r.adjustCallback = Adjust;
  r.motionCallback = Motion;
  r.userData = &line;
  r.pickStatus = PickAccepted;
  PickStart(r);
}

bool KeyboardLineEntry(const std::function<bool(double, double, double, double)>& create,
                       void (*message)(void*, const std::string&)) {
  if (message) message(nullptr, TextsOfLanguage().keyboard);
  double x0 = lastKeyedLine.x1, y0 = lastKeyedLine.y1;
  double x1 = x0, y1 = y0, tolerance = keyTolerance;
  if (!LineDialog(x0, y0, x1, y1, tolerance)) return false;
  if (!(std::hypot(x1 - x0, y1 - y0) > 0)) return false;
  keyTolerance = tolerance;
  lastKeyedLine = {x0, y0, x1, y1};
  if (create) create(x0, y0, x1, y1);
  return true;
}

void DirectionLock(double x0, double y0, double& x, double& y) {
  const double dx = std::fabs(x - x0), dy = std::fabs(y - y0);
  if (dx == 0 || dy == 0) return;
  if (dx <= dy) {
    const double r = (x - x0) / (y - y0);
    x = std::fabs(r) <= 0.75 ? x0 : r <= 0 ? x0 - (y - y0) : x0 + (y - y0);
  } else {
    const double r = (y - y0) / (x - x0);
    y = std::fabs(r) <= 0.75 ? y0 : r <= 0 ? y0 - (x - x0) : y0 + (x - x0);
  }
}

}  // namespace cmd
