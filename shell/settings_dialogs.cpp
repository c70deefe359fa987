#include "shell/settings_dialogs.h"

#include <cmath>

#include "shell/modes.h"
#include "shell/number_fields.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace shell {

namespace {

const char kDistortionForm[] =
    "Entre com o fator de distorção vertical...\n"
    "Factor = %5.5%5.3f\n";

const char kLimitsForm[] =
    "Entre com os limites da janela de trabalho...\n"
    "Minimum X = %10.10%10.3f\n"
    "Maximum X = %10.10%10.3f\n"
    "Minimum Y = %10.10%10.3f\n"
    "Maximum Y = %10.10%10.3f\n";

}  // namespace

// The factor is edited in single precision; a value that is not a finite
// number greater than zero is refused with a message and changes nothing.
void VerticalDistortionDialog() {
  tk::Element* canvas = cmd::handles.datascreen;
  double current = 1.0;
  ViewGetDistortion(canvas, &current);
  float factor = static_cast<float>(current);
  if (tk::GetParam(kDistortionForm, {&factor}) != 1) return;
  if (!IsFinitePositive(factor)) {
    tk::Message(" ", "\nFator de distorção vertical inválido!\n");
    return;
  }
  ViewSetDistortion(canvas, factor);
}

// Limits that are not all finite (a long run of digits reads as infinity)
// are ignored, as the view itself ignores a minimum not below its maximum.
void WindowLimitsDialog() {
  tk::Element* canvas = cmd::handles.datascreen;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  ViewGetWindow(canvas, &xmin, &xmax, &ymin, &ymax);
  float limits[4] = {static_cast<float>(xmin), static_cast<float>(xmax),
                     static_cast<float>(ymin), static_cast<float>(ymax)};
  if (tk::GetParam(kLimitsForm, {&limits[0], &limits[1], &limits[2], &limits[3]}) != 4) return;
  for (float limit : limits)
    if (!std::isfinite(limit)) return;
  ViewSetWindow(canvas, limits[0], limits[1], limits[2], limits[3]);
}

}  // namespace shell
