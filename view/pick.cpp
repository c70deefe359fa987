#include "view/pick.h"

// No mouse interaction can be installed yet, so there is nothing to end.
void PickAbort(tk::Element*) {}
