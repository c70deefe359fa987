#include "shell/number_fields.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "toolkit/toolkit.h"

namespace shell {

bool IsFinitePositive(double value) { return std::isfinite(value) && value > 0; }

namespace {

// One whole number, blanks around it allowed.
bool ParseNumber(const std::string& text, double& value) {
  const char* start = text.c_str();
  char* end = nullptr;
  const double number = std::strtod(start, &end);
  if (end == start) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0') return false;
  value = number;
  return true;
}

}  // namespace

bool ParseFinitePositive(const std::string& text, double& value) {
  double number = 0;
  if (!ParseNumber(text, number) || !IsFinitePositive(number)) return false;
  value = number;
  return true;
}

bool ParseCompassDegrees(const std::string& text, double& degrees) {
  double number = 0;
  if (!ParseNumber(text, number) || !(number >= 0 && number <= 360)) return false;
  degrees = number;
  return true;
}

bool ReadFinitePositive(tk::Element* field, double& value) {
  return ParseFinitePositive(tk::GetAttribute(field, "VALUE"), value);
}

}  // namespace shell
