// The keyboard coordinate dialogs: typed coordinates instead of clicks.
// Each is built on first use and kept; every run writes the caller's values
// into its fields, shows it modally where the last one of them was left, and
// answers true (the values replaced by what was typed) on OK, or false (the
// values unchanged) on Cancel or the close box.  Values are doubles, so a
// typed 0.1 stays 0.1.
#pragma once

namespace cmd {

// A whole line and a tolerance; tab "Absoluto" gives both points, tab
// "Incremental" the first point and the displacement to the second.  A
// tolerance typed as 0 becomes 0.001.
bool LineDialog(double& x0, double& y0, double& x1, double& y1, double& tolerance);
// One point.
bool FirstPointDialog(double& x, double& y);
// Both points, with the same two tabs as LineDialog and no tolerance.
bool EndPointDialog(double& x0, double& y0, double& x1, double& y1);

}  // namespace cmd
