// Pure rules of the toolkit's controls, kept apart from the widgets so that
// they can be checked without a display.
#pragma once

#include <string>
#include <vector>

namespace tk::rules {

// ---- Dial -----------------------------------------------------------------
// Pixels of pointer movement per radian for a dial `length` pixels long.
// Dials shorter than 10 pixels count one pixel per radian, so that a tiny
// dial never divides by zero or turns backwards.
double DialPixelsPerRadian(int length);
// The angle after a motion of `movement` pixels (upwards for a vertical dial,
// rightwards for a horizontal one) from `angle`.
double DialAdvance(double angle, int movement, int length);

// ---- Gauge ----------------------------------------------------------------
// The text shown on a gauge: nothing unless `showText`; the TEXT attribute
// when it is set, else the percentage of `value` (0..1) with one decimal.
std::string GaugeText(double value, bool showText, bool hasText, const std::string& text);

// ---- Layout sizes ---------------------------------------------------------
// Parses "WxH", "W" or "xH"; a missing part is -1.  False when unreadable.
bool ParseSize(const std::string& text, int& width, int& height);

// ---- Data entry -----------------------------------------------------------
struct ParamField {
  std::string label;
  int width = 0;        // characters shown
  int maxLength = 0;    // characters accepted (0: no limit)
  std::string format;   // printf conversion used to show the value, "%10.3f"
  char conversion = 0;  // f e g d i o u x s
  bool isDouble = false;  // an l or L modifier on a real conversion
};
struct ParamForm {
  std::string title;
  std::vector<ParamField> fields;
};
// Parses the data-entry notation: a title line, then one line per field,
// "label%W.M%conv".  The number of fields is the number of line breaks
// minus one.  False when a field line is not in the notation.
bool ParseParamForm(const std::string& format, ParamForm& form);
// The text a field starts with: its variable written by its conversion,
// without the padding blanks.
std::string FormatParamValue(const ParamField& field, const void* variable);
// Reads a field's text into its variable.  The whole text must be one value
// of the conversion (surrounding blanks allowed); otherwise the variable is
// left unchanged and false is returned.
bool ReadParamValue(const ParamField& field, const std::string& text, void* variable);
// Reads every field; the result is the number of fields when all were read,
// else the index of the first field that failed.
int ReadParamForm(const ParamForm& form, const std::vector<std::string>& texts,
                  const std::vector<void*>& variables);

// ---- Masks ----------------------------------------------------------------
// Whether `text` is a whole match of `mask` (when `prefixAllowed` is false)
// or a whole match or the beginning of one (when it is true).  A mask that
// cannot be parsed accepts everything.
bool MaskMatches(const std::string& mask, const std::string& text, bool prefixAllowed);

// ---- File dialog ----------------------------------------------------------
// Whether a file name passes the dialog's filter: patterns separated by ';'
// (blanks around them ignored), any one matching is enough.  "*.*" and an
// empty filter take every name, also names without a dot.
bool FilterMatches(const std::string& filter, const std::string& name);
// The path without empty, "." and ".." steps; ".." never climbs above "/".
// Worked out on the text alone, as a shell's "cd .." does.
std::string CleanPath(const std::string& path);
// What a name typed in the dialog stands for: the name itself when absolute,
// else the name inside `folder`; cleaned either way.  "~" is an ordinary name.
std::string ResolveTypedName(const std::string& folder, const std::string& name);
struct FolderEntry {
  std::string name;
  bool isFolder = false;
};
// The lines of the dialog's list: "../", then the subfolders with a trailing
// "/", then the files that pass the filter; each group sorted by name
// regardless of case.  Hidden names (starting with '.') are left out.
std::vector<std::string> ListingLines(const std::vector<FolderEntry>& entries,
                                      const std::string& filter);

}  // namespace tk::rules
