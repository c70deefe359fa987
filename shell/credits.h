// The credits window of "Sobre..": built on first use and kept for the run.
#pragma once

#include "toolkit/toolkit.h"

namespace shell {

// Shows the credits window centred and not modally, building it the first
// time.  Returns the toolkit's callback code.
int ShowCredits();

// The credits dialog, or null before the first ShowCredits.
tk::Element* CreditsDialog();
// Its close button, or null before the first ShowCredits.
tk::Element* CreditsCloseButton();

}  // namespace shell
