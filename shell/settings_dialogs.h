// The two view settings entered by dialog: the vertical distortion factor and
// the limits of the working window, both for the view of "datascreen".
#pragma once

namespace shell {

void VerticalDistortionDialog();
void WindowLimitsDialog();

}  // namespace shell
