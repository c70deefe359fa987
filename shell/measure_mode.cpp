#include "shell/measure_mode.h"

#include <cmath>
#include <cstdlib>

#include "view/pick.h"

namespace cmd {

namespace {

// The tool in use; one at a time, so one instance.
MeasureInput measure;

void Arm();

void Press(PickRequest* r) { r->echoStyle = PickShift(*r) ? EchoFence : EchoLine; }

void Release(PickRequest* r) {
  if (r->pickStatus != PickAccepted) {
    if (measure.done) measure.done(nullptr, r->pickStatus == PickEndedByCommand ? -1 : 0);
    return;
  }
  const PickPoint p = r->anchor, q = r->releasePoint;
  const bool zone = r->echoStyle == EchoFence;
  if (!PickWasClick(*r) && measure.message) {
    const std::string text =
        zone ? (measure.zone ? measure.zone(std::fmin(p.x, q.x), std::fmax(p.x, q.x),
                                            std::fmin(p.y, q.y), std::fmax(p.y, q.y))
                             : "")
             : (measure.line ? measure.line(p.x, p.y, q.x, q.y) : "");
    measure.message(nullptr, text);
  }
  Arm();
}

void Motion(PickRequest*, double x, double y) {
  if (measure.coordinates) measure.coordinates(nullptr, x, y);
}

void Adjust(PickRequest* r, double* x, double* y, double) {
  if (measure.adjust) measure.adjust(*x, *y, PickControl(*r));
}

// A drag pick with the left button; the echo is chosen at the press.
void Arm() {
  PickRequest r;
  r.canvas = measure.canvas;
  r.pickKind = PickKindDrag;
  r.echoStyle = 0;
  r.button = 1;
  r.acceptCallback = Press;
  r.releaseCallback = Release;
  r.motionCallback = Motion;
  r.adjustCallback = Adjust;
  r.userData = &measure;
  r.pickStatus = PickAccepted;
  PickStart(r);
}

}  // namespace

void StartMeasure(const MeasureInput& input) {
  measure = input;
  if (measure.message) measure.message(nullptr, kMeasurePrompt);
  Arm();
}

}  // namespace cmd
