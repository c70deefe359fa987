// Numbers the user types into the window's fields and dialogs.
#pragma once

#include <string>

namespace tk {
class Element;
}

namespace shell {

// A size, step or factor must be a finite number above zero: a long run of
// digits reads as infinity, which would make walls or the view unusable.
bool IsFinitePositive(double value);

// True, with `value` set, when `text` (blanks around it allowed) is one whole
// number that is finite and greater than zero; otherwise false and `value`
// is left as it was.
bool ParseFinitePositive(const std::string& text, double& value);

// True, with `degrees` set, when `text` is one whole number from 0 to 360;
// otherwise false and `degrees` is left as it was.
bool ParseCompassDegrees(const std::string& text, double& degrees);

// The same for the VALUE of a text field.
bool ReadFinitePositive(tk::Element* field, double& value);

}  // namespace shell
