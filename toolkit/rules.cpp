#include "toolkit/rules.h"

#include <FL/filename.H>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

namespace tk::rules {

// ---- Dial -------------------------------------------------------------------

double DialPixelsPerRadian(int length) {
  double perRadian = (length - 8) / 2.0;
  return perRadian < 1.0 ? 1.0 : perRadian;
}

double DialAdvance(double angle, int movement, int length) {
  return angle + movement / DialPixelsPerRadian(length);
}

// ---- Gauge ------------------------------------------------------------------

std::string GaugeText(double value, bool showText, bool hasText, const std::string& text) {
  if (!showText) return "";
  if (hasText) return text;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.1f%%", value * 100.0);
  return buffer;
}

// ---- Sizes ------------------------------------------------------------------

static bool ReadCount(const std::string& text, int& value) {
  if (text.empty()) {
    value = -1;
    return true;
  }
  char* end = nullptr;
  long number = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || number < 0 || number > 100000) return false;
  value = static_cast<int>(number);
  return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  size_t cross = text.find_first_of("xX");
  if (cross == std::string::npos) return ReadCount(text, width) && ReadCount("", height);
  return ReadCount(text.substr(0, cross), width) && ReadCount(text.substr(cross + 1), height);
}

// ---- Data entry ---------------------------------------------------------------

static std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

static bool ReadDigits(const std::string& line, size_t& pos, int& value) {
  size_t start = pos;
  value = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && pos - start < 6)
    value = value * 10 + (line[pos++] - '0');
  return pos > start;
}

static bool ParseParamLine(const std::string& line, ParamField& field) {
  size_t percent = line.find('%');
  if (percent == std::string::npos) return false;
  field.label = line.substr(0, percent);
  size_t pos = percent + 1;
  if (!ReadDigits(line, pos, field.width)) return false;
  if (pos < line.size() && line[pos] == '.') {
    ++pos;
    if (!ReadDigits(line, pos, field.maxLength)) return false;
  }
  if (pos >= line.size() || line[pos] != '%') return false;
  field.format = line.substr(pos);
  if (field.format.size() < 2) return false;
  field.conversion = field.format.back();
  if (std::string("feEgGdiouxs").find(field.conversion) == std::string::npos) return false;
  char modifier = field.format[field.format.size() - 2];
  field.isDouble = (modifier == 'l' || modifier == 'L') &&
                   std::string("feEgG").find(field.conversion) != std::string::npos;
  // The modifier tells the variable's type; for writing, a double is a double.
  if (modifier == 'l' || modifier == 'L') field.format.erase(field.format.size() - 2, 1);
  return true;
}

bool ParseParamForm(const std::string& format, ParamForm& form) {
  form = ParamForm{};
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos = format.find('\n'); pos != std::string::npos; pos = format.find('\n', start)) {
    lines.push_back(format.substr(start, pos - start));
    start = pos + 1;
  }
  if (lines.empty()) return false;
  form.title = lines[0];
  for (size_t i = 1; i < lines.size(); ++i) {
    ParamField field;
    if (!ParseParamLine(lines[i], field)) return false;
    form.fields.push_back(field);
  }
  return true;
}

static bool IsReal(char conversion) {
  return std::string("feEgG").find(conversion) != std::string::npos;
}

std::string FormatParamValue(const ParamField& field, const void* variable) {
  if (!variable) return "";
  char buffer[512];
  if (field.conversion == 's') return *static_cast<const std::string*>(variable);
  if (IsReal(field.conversion)) {
    double value = field.isDouble ? *static_cast<const double*>(variable)
                                  : *static_cast<const float*>(variable);
    std::snprintf(buffer, sizeof buffer, field.format.c_str(), value);
  } else {
    std::snprintf(buffer, sizeof buffer, field.format.c_str(), *static_cast<const int*>(variable));
  }
  return Trim(buffer);
}

static bool ReadInteger(const std::string& text, char conversion, int& value) {
  int base = conversion == 'i' ? 0 : conversion == 'o' ? 8 : conversion == 'x' ? 16 : 10;
  char* end = nullptr;
  errno = 0;
  long long number = std::strtoll(text.c_str(), &end, base);
  if (end == text.c_str() || *end != '\0' || errno == ERANGE) return false;
  if (conversion == 'u' && (number < 0 || number > UINT_MAX)) return false;
  if (conversion != 'u' && (number < INT_MIN || number > INT_MAX)) return false;
  value = static_cast<int>(static_cast<unsigned int>(number));
  return true;
}

bool ReadParamValue(const ParamField& field, const std::string& text, void* variable) {
  if (!variable) return false;
  if (field.conversion == 's') {
    *static_cast<std::string*>(variable) = text;
    return true;
  }
  std::string value = Trim(text);
  if (value.empty()) return false;
  if (IsReal(field.conversion)) {
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    if (*end != '\0') return false;
    if (field.isDouble)
      *static_cast<double*>(variable) = number;
    else
      *static_cast<float*>(variable) = static_cast<float>(number);
    return true;
  }
  return ReadInteger(value, field.conversion, *static_cast<int*>(variable));
}

int ReadParamForm(const ParamForm& form, const std::vector<std::string>& texts,
                  const std::vector<void*>& variables) {
  int count = static_cast<int>(form.fields.size());
  for (int i = 0; i < count; ++i) {
    const std::string text = i < static_cast<int>(texts.size()) ? texts[i] : "";
    void* variable = i < static_cast<int>(variables.size()) ? variables[i] : nullptr;
    if (!ReadParamValue(form.fields[i], text, variable)) return i;
  }
  return count;
}

// ---- Masks ------------------------------------------------------------------
// A mask is a small regular expression in which "/" escapes the next
// character.  It is parsed into a tree and matched by following the set of
// text positions each part can reach, which handles repetition without
// backtracking and tells when the text ran out while the mask still wanted
// a character: then the text is the beginning of a match.

namespace {

struct CharSet {
  std::vector<std::pair<unsigned char, unsigned char>> ranges;
  bool negated = false;
  bool contains(unsigned char c) const {
    bool inside = false;
    for (const auto& r : ranges)
      if (c >= r.first && c <= r.second) inside = true;
    return inside != negated;
  }
};

struct Node {
  enum Kind { kChar, kSeq, kAlt, kStar, kPlus, kOpt } kind = kSeq;
  CharSet chars;
  std::vector<std::unique_ptr<Node>> parts;
};

using Positions = std::set<size_t>;

class MaskParser {
 public:
  explicit MaskParser(const std::string& mask) : mask_(mask) {}

  std::unique_ptr<Node> parse() {
    auto root = alternation();
    if (!ok_ || pos_ != mask_.size()) return nullptr;
    return root;
  }

 private:
  const std::string& mask_;
  size_t pos_ = 0;
  bool ok_ = true;

  bool atEnd() const { return pos_ >= mask_.size(); }
  char peek() const { return mask_[pos_]; }

  std::unique_ptr<Node> alternation() {
    auto first = sequence();
    if (atEnd() || peek() != '|') return first;
    auto alt = std::make_unique<Node>();
    alt->kind = Node::kAlt;
    alt->parts.push_back(std::move(first));
    while (!atEnd() && peek() == '|') {
      ++pos_;
      alt->parts.push_back(sequence());
    }
    return alt;
  }

  std::unique_ptr<Node> sequence() {
    auto seq = std::make_unique<Node>();
    seq->kind = Node::kSeq;
    while (ok_ && !atEnd() && peek() != '|' && peek() != ')') {
      auto part = atom();
      while (ok_ && !atEnd() && (peek() == '?' || peek() == '*' || peek() == '+')) {
        auto repeated = std::make_unique<Node>();
        char q = mask_[pos_++];
        repeated->kind = q == '?' ? Node::kOpt : q == '*' ? Node::kStar : Node::kPlus;
        repeated->parts.push_back(std::move(part));
        part = std::move(repeated);
      }
      seq->parts.push_back(std::move(part));
    }
    return seq;
  }

  static void addEscape(char c, CharSet& set) {
    switch (c) {
      case 'd': set.ranges.push_back({'0', '9'}); break;
      case 'l':
        set.ranges.push_back({'a', 'z'});
        set.ranges.push_back({'A', 'Z'});
        break;
      case 'w':
        set.ranges.push_back({'a', 'z'});
        set.ranges.push_back({'A', 'Z'});
        set.ranges.push_back({'0', '9'});
        set.ranges.push_back({'_', '_'});
        break;
      case 's':
        set.ranges.push_back({' ', ' '});
        set.ranges.push_back({'\t', '\t'});
        break;
      default: set.ranges.push_back({static_cast<unsigned char>(c), static_cast<unsigned char>(c)});
    }
  }

  std::unique_ptr<Node> atom() {
    char c = mask_[pos_++];
    if (c == '(') {
      auto inner = alternation();
      if (atEnd() || peek() != ')') ok_ = false;
      ++pos_;
      return inner;
    }
    auto node = std::make_unique<Node>();
    node->kind = Node::kChar;
    if (c == '[') {
      bracket(node->chars);
    } else if (c == '/') {
      if (atEnd()) {
        ok_ = false;
        return node;
      }
      addEscape(mask_[pos_++], node->chars);
    } else if (c == '.') {
      node->chars.negated = true;  // any character
    } else if (c == ')' || c == '?' || c == '*' || c == '+') {
      ok_ = false;
    } else {
      // Unescaped characters, letters included, stand for themselves.
      unsigned char u = static_cast<unsigned char>(c);
      node->chars.ranges.push_back({u, u});
    }
    return node;
  }

  // One member of a bracket class; false at the closing bracket.
  bool bracketChar(unsigned char& c, bool& escaped) {
    if (atEnd()) {
      ok_ = false;
      return false;
    }
    c = static_cast<unsigned char>(mask_[pos_++]);
    escaped = false;
    if (c == '/' && !atEnd()) {
      c = static_cast<unsigned char>(mask_[pos_++]);
      escaped = true;
    }
    return true;
  }

  void bracket(CharSet& set) {
    if (!atEnd() && peek() == '^') {
      set.negated = true;
      ++pos_;
    }
    while (ok_) {
      if (atEnd()) {
        ok_ = false;
        return;
      }
      if (peek() == ']') {
        ++pos_;
        return;
      }
      unsigned char low = 0;
      bool escaped = false;
      if (!bracketChar(low, escaped)) return;
      if (escaped && std::string("dlws").find(static_cast<char>(low)) != std::string::npos) {
        addEscape(static_cast<char>(low), set);
        continue;
      }
      if (pos_ + 1 < mask_.size() && peek() == '-' && mask_[pos_ + 1] != ']') {
        ++pos_;
        unsigned char high = 0;
        if (!bracketChar(high, escaped)) return;
        set.ranges.push_back({low, high});
      } else {
        set.ranges.push_back({low, low});
      }
    }
  }
};

Positions Advance(const Node& node, const Positions& from, const std::string& text,
                  bool& wantedMore) {
  Positions out;
  switch (node.kind) {
    case Node::kChar:
      for (size_t p : from) {
        if (p == text.size())
          wantedMore = true;
        else if (node.chars.contains(static_cast<unsigned char>(text[p])))
          out.insert(p + 1);
      }
      return out;
    case Node::kSeq: {
      Positions current = from;
      for (const auto& part : node.parts) current = Advance(*part, current, text, wantedMore);
      return current;
    }
    case Node::kAlt:
      for (const auto& part : node.parts) {
        Positions reached = Advance(*part, from, text, wantedMore);
        out.insert(reached.begin(), reached.end());
      }
      return out;
    case Node::kOpt:
      out = Advance(*node.parts[0], from, text, wantedMore);
      out.insert(from.begin(), from.end());
      return out;
    case Node::kStar:
    case Node::kPlus: {
      Positions frontier =
          node.kind == Node::kPlus ? Advance(*node.parts[0], from, text, wantedMore) : from;
      out = frontier;
      while (!frontier.empty()) {
        Positions next;
        for (size_t p : Advance(*node.parts[0], frontier, text, wantedMore))
          if (out.insert(p).second) next.insert(p);
        frontier = next;
      }
      return out;
    }
  }
  return out;
}

}  // namespace

bool MaskMatches(const std::string& mask, const std::string& text, bool prefixAllowed) {
  auto root = MaskParser(mask).parse();
  if (!root) return true;
  bool wantedMore = false;
  Positions ends = Advance(*root, Positions{0}, text, wantedMore);
  if (ends.count(text.size())) return true;
  return prefixAllowed && wantedMore;
}

// ---- File dialog -------------------------------------------------------------

namespace {

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> steps;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    steps.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return steps;
}

// Case-blind order, with the exact bytes deciding between names that differ
// only in case, so that the order never depends on the order read.
bool NameBefore(const std::string& a, const std::string& b) {
  auto lower = [](unsigned char c) { return std::tolower(c); };
  auto ca = a.begin(), cb = b.begin();
  for (; ca != a.end() && cb != b.end(); ++ca, ++cb)
    if (lower(*ca) != lower(*cb)) return lower(*ca) < lower(*cb);
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

bool FilterMatches(const std::string& filter, const std::string& name) {
  if (Trimmed(filter).empty()) return true;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t end = filter.find(';', start);
    if (end == std::string::npos) end = filter.size();
    std::string pattern = Trimmed(filter.substr(start, end - start));
    // "*.*" names every file in the dialog's notation, but as a pattern it
    // would ask for a dot.
    if (pattern == "*.*" || (!pattern.empty() && fl_filename_match(name.c_str(), pattern.c_str())))
      return true;
    start = end + 1;
  }
  return false;
}

std::string CleanPath(const std::string& path) {
  bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> kept;
  for (const std::string& step : SplitPath(path)) {
    if (step.empty() || step == ".") continue;
    if (step == ".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (step == ".." && absolute) {
      continue;  // the root's parent is the root
    } else {
      kept.push_back(step);
    }
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < kept.size(); ++i) out += (i ? "/" : "") + kept[i];
  return out.empty() ? "." : out;
}

std::string ResolveTypedName(const std::string& folder, const std::string& name) {
  if (!name.empty() && name[0] == '/') return CleanPath(name);
  return CleanPath(folder + "/" + name);
}

std::vector<std::string> ListingLines(const std::vector<FolderEntry>& entries,
                                      const std::string& filter) {
  std::vector<std::string> folders, files;
  for (const FolderEntry& entry : entries) {
    if (entry.name.empty() || entry.name[0] == '.') continue;
    if (entry.isFolder)
      folders.push_back(entry.name);
    else if (FilterMatches(filter, entry.name))
      files.push_back(entry.name);
  }
  std::sort(folders.begin(), folders.end(), NameBefore);
  std::sort(files.begin(), files.end(), NameBefore);
  std::vector<std::string> lines{"../"};
  for (const std::string& folder : folders) lines.push_back(folder + "/");
  lines.insert(lines.end(), files.begin(), files.end());
  return lines;
}

}  // namespace tk::rules
