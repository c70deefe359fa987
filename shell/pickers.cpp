#include "shell/pickers.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "view/pick.h"

namespace cmd {

namespace {

std::vector<std::unique_ptr<SelectPicker>> selectPickers;
std::vector<std::unique_ptr<DragPicker>> dragPickers;
bool dragging = false;

template <typename Picker>
Picker* FindIn(std::vector<std::unique_ptr<Picker>>& list, tk::Element* canvas) {
  for (auto& p : list)
    if (p->canvas == canvas) return p.get();
  return nullptr;
}

template <typename Picker>
Picker* CreateIn(std::vector<std::unique_ptr<Picker>>& list, const Picker& picker) {
  if (Picker* existing = FindIn(list, picker.canvas)) {
    *existing = picker;
    return existing;
  }
  list.push_back(std::make_unique<Picker>(picker));
  return list.back().get();
}

template <typename Picker>
void RemoveFrom(std::vector<std::unique_ptr<Picker>>& list, tk::Element* canvas) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if ((*it)->canvas == canvas) {
      list.erase(it);
      return;
    }
}

// The request both pickers start from: a drag pick with any button.
PickRequest DragPickOn(tk::Element* canvas, void* picker) {
  PickRequest r;
  r.canvas = canvas;
  r.pickKind = PickKindDrag;
  r.button = 0;
  r.userData = picker;
  r.pickStatus = PickAccepted;
  return r;
}

// How a pick that did not complete ends the mode: -1 stays -1, a cancel is 0.
int Unfinished(int status) { return status == PickEndedByCommand ? -1 : 0; }

// ---- Select ----------------------------------------------------------------------

SelectPicker* SelectOf(PickRequest* r) { return static_cast<SelectPicker*>(r->userData); }

void SelectPress(PickRequest* r) {
  // A left press may become a fence, drawn from the press point.
  if (SelectOf(r)->fence && r->button == 1) r->echoStyle = EchoFence;
}

void SelectEnd(PickRequest* r) {
  SelectPicker* picker = SelectOf(r);
  if (r->pickStatus != PickAccepted) {
    if (picker->done) picker->done(picker->userData, Unfinished(r->pickStatus));
    return;
  }
  if (r->button == 2) return ActivateSelectPicker(picker->canvas, picker->done, 1);
  const bool keep = PickShift(*r);
  const PickPoint p = r->anchor, q = r->releasePoint;
  if (PickWasClick(*r)) {
    if (picker->pointPick) picker->pointPick(picker->userData, p.x, p.y, r->tolerance, keep);
  } else if (picker->fence) {
    picker->fence(picker->userData, std::fmin(p.x, q.x), std::fmax(p.x, q.x),
                  std::fmin(p.y, q.y), std::fmax(p.y, q.y), keep);
  }
  if (picker->done) picker->done(picker->userData, 1);
}

void SelectMotion(PickRequest* r, double x, double y) {
  SelectPicker* picker = SelectOf(r);
  if (picker->motion) picker->motion(picker->userData, x, y);
}

void SelectAdjust(PickRequest* r, double* x, double* y, double tolerance) {
  SelectPicker* picker = SelectOf(r);
  if (picker->adjust) picker->adjust(picker->userData, x, y, tolerance, PickControl(*r));
}

// ---- Drag --------------------------------------------------------------------------

DragPicker* DragOf(PickRequest* r) { return static_cast<DragPicker*>(r->userData); }

void DragPress(PickRequest* r) {
  DragPicker* picker = DragOf(r);
  // The dragged entity itself follows the cursor; no echo is needed.
  if (r->button == 1) r->echoStyle = 0;
  dragging = true;
  if (picker->begin)
    picker->begin(picker->userData, r->anchor.x, r->anchor.y, r->tolerance, PickShift(*r),
                  PickControl(*r));
}

void DropDrag(DragPicker* picker) {
  if (picker->dropped) picker->dropped(picker->userData);
}

void DragEnd(PickRequest* r) {
  DragPicker* picker = DragOf(r);
  dragging = false;
  if (r->pickStatus != PickAccepted) {
    DropDrag(picker);
    if (picker->done) picker->done(picker->userData, Unfinished(r->pickStatus));
    return;
  }
  if (r->button == 2) {
    DropDrag(picker);
    return ActivateDragPicker(picker->canvas, picker->done, 1);
  }
  const PickPoint p = r->anchor, q = r->releasePoint;
  // A click selects what is under the cursor (the press did) and ends the
  // Drag mode.  It is judged by where the mouse really was: the release may
  // have been snapped to the grid while the press was not.
  const PickPoint a = r->rawPress, b = r->rawRelease;
  if (std::hypot(b.x - a.x, b.y - a.y) < r->tolerance) {
    DropDrag(picker);
    if (picker->done) picker->done(picker->userData, 0);
    return;
  }
  if (picker->end) picker->end(picker->userData, p.x, p.y, q.x, q.y);
  if (picker->done) picker->done(picker->userData, 1);
}

void DragMotion(PickRequest* r, double x, double y) {
  DragPicker* picker = DragOf(r);
  if (dragging && picker->motion) picker->motion(picker->userData, r->anchor.x, r->anchor.y, x, y);
}

void DragAdjust(PickRequest* r, double* x, double* y, double tolerance) {
  DragPicker* picker = DragOf(r);
  if (picker->adjust) picker->adjust(picker->userData, x, y, tolerance, PickControl(*r));
}

}  // namespace

SelectPicker* CreateSelectPicker(const SelectPicker& picker) {
  return CreateIn(selectPickers, picker);
}
DragPicker* CreateDragPicker(const DragPicker& picker) { return CreateIn(dragPickers, picker); }
SelectPicker* FindSelectPicker(tk::Element* canvas) { return FindIn(selectPickers, canvas); }
DragPicker* FindDragPicker(tk::Element* canvas) { return FindIn(dragPickers, canvas); }

void RemovePickers(tk::Element* canvas) {
  RemoveFrom(selectPickers, canvas);
  RemoveFrom(dragPickers, canvas);
}

void ActivateSelectPicker(tk::Element* canvas, PickerDone done, int armed) {
  SelectPicker* picker = FindSelectPicker(canvas);
  if (!picker) return;
  picker->done = done;
  picker->armed = armed;
  PickRequest r = DragPickOn(canvas, picker);
  r.echoStyle = armed ? EchoCross + EchoBox : 0;
  r.acceptCallback = SelectPress;
  r.releaseCallback = SelectEnd;
  r.motionCallback = SelectMotion;
  r.adjustCallback = SelectAdjust;
  PickStart(r);
}

void ActivateDragPicker(tk::Element* canvas, PickerDone done, int armed) {
  DragPicker* picker = FindDragPicker(canvas);
  if (!picker) return;
  picker->done = done;
  picker->armed = armed;
  // The prompt of this mode goes to the message callback, when there is one.
  if (picker->message)
    picker->message(picker->userData,
                    tk::GetLanguage() == "ENGLISH"
                        ? "Drag mouse with left button pressed; Right button => Discard."
                        : "Arraste mouse com botao esquerdo precionado; Botao da direita => "
                          "Termina.");
  PickRequest r = DragPickOn(canvas, picker);
  r.echoStyle = armed ? EchoBox : 0;
  r.acceptCallback = DragPress;
  r.releaseCallback = DragEnd;
  r.motionCallback = DragMotion;
  r.adjustCallback = DragAdjust;
  PickStart(r);
}

}  // namespace cmd
