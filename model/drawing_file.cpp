// Drawing files: per entity a kind line and a data line, back to front, so
// that reading them in file order and putting each in front restores the
// drawing's order.
#include "model/drawing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "model/atomic_file.h"
#include "model/dxf_file.h"
#include "model/entity_list.h"

namespace {

// ---- Reading ------------------------------------------------------------------

struct LineRecord {
  long color = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Blanks as a formatted read skips them: any of these separates two numbers.
bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The file as a sequence of blank-separated words.
class WordReader {
 public:
  explicit WordReader(std::FILE* file) : file_(file) {}

  // The next word, or "" at the end of the file.  Words longer than any
  // number are cut short and marked, so that they never read as one.
  std::string Next(bool& overlong) {
    int c;
    do c = std::getc(file_);
    while (c != EOF && IsBlank(c));
    std::string word;
    overlong = false;
    for (; c != EOF && !IsBlank(c); c = std::getc(file_)) {
      if (word.size() < kLongestWord) word += static_cast<char>(c);
      else overlong = true;
    }
    return word;
  }

 private:
  static constexpr size_t kLongestWord = 4096;
  std::FILE* file_;
};

// The parse reached the end of the word.  A word may hold NUL bytes, where
// a parse of its C string stops as if the word ended there.
bool ParsedWhole(const std::string& word, const char* end) {
  return end == word.c_str() + word.size();
}

bool IsWholeInteger(const std::string& word, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(word.c_str(), &end, 10);
  if (!ParsedWhole(word, end) || errno == ERANGE) return false;
  value = number;
  return true;
}

// Any integer, however long: a kind code the program does not know is
// still an integer, and is reported as such.
bool LooksLikeInteger(const std::string& word) {
  size_t i = (word[0] == '+' || word[0] == '-') ? 1 : 0;
  if (i == word.size()) return false;
  for (; i < word.size(); ++i)
    if (word[i] < '0' || word[i] > '9') return false;
  return true;
}

bool IsWholeReal(const std::string& word, double& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  const double number = std::strtod(word.c_str(), &end);
  if (!ParsedWhole(word, end)) return false;
  value = number;
  return true;
}

// True when the word is printable UTF-8 text (no control bytes).
bool IsPrintableText(const std::string& word) {
  for (size_t i = 0; i < word.size();) {
    const unsigned char c = word[i];
    if (c < 0x20 || c == 0x7f) return false;
    const size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
    if (extra == 9 || i + extra >= word.size()) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(word[i + k]) & 0xC0) != 0x80) return false;
    i += 1 + extra;
  }
  return true;
}

// A word short enough for a message, cut between two characters.
std::string CutShort(const std::string& word) {
  constexpr size_t kShownLength = 24;
  if (word.size() <= kShownLength) return word;
  size_t cut = kShownLength;
  while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) --cut;
  return word.substr(0, cut) + "...";
}

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// Reads the five numbers of a line's data line; false with the reason when
// one is missing, is not a number or is not finite.
bool ReadLineData(WordReader& words, LineRecord& line, std::string& reason) {
  bool overlong = false;
  std::string word = words.Next(overlong);
  if (word.empty()) {
    reason = "linha de dados incompleta";
    return false;
  }
  if (overlong || !IsWholeInteger(word, line.color)) {
    reason = "em vez da cor (um número inteiro), o arquivo tem " + ShownWord(word);
    return false;
  }
  double* const coordinates[] = {&line.x0, &line.y0, &line.x1, &line.y1};
  for (double* coordinate : coordinates) {
    word = words.Next(overlong);
    if (word.empty()) {
      reason = "linha de dados incompleta";
      return false;
    }
    if (overlong || !IsWholeReal(word, *coordinate)) {
      reason = "em vez de uma coordenada, o arquivo tem " + ShownWord(word);
      return false;
    }
    if (!std::isfinite(*coordinate)) {
      reason = "coordenada que não é um número finito";
      return false;
    }
  }
  return true;
}

void StopEarly(ReadReport& report, int record, const std::string& reason) {
  report.complete = false;
  report.stopRecord = record;
  report.reason = reason;
}

// Reads the records up to the end of the file or the first thing that is
// not a complete record.
ReadReport ReadRecords(std::FILE* file, std::vector<LineRecord>& lines) {
  ReadReport report;
  WordReader words(file);
  for (int record = 1;; ++record) {
    bool overlong = false;
    const std::string word = words.Next(overlong);
    if (word.empty()) return report;  // only blanks were left: the normal end
    if (record == 1 && word.compare(0, 3, kByteOrderMark) == 0) {
      StopEarly(report, record, "o arquivo começa com uma marca de ordem de bytes (BOM)");
      return report;
    }
    long kind = 0;
    if (!overlong && IsWholeInteger(word, kind) && kind == 0) {
      LineRecord line;
      std::string reason;
      if (!ReadLineData(words, line, reason)) {
        StopEarly(report, record, reason);
        return report;
      }
      lines.push_back(line);
      ++report.linesRead;
    } else if (!overlong && LooksLikeInteger(word)) {
      StopEarly(report, record, "tipo de figura desconhecido (" + CutShort(word) + ")");
      return report;
    } else {
      StopEarly(report, record,
                "em vez do código do tipo de figura (um número inteiro), o arquivo tem " +
                    ShownWord(word));
      return report;
    }
  }
}

// ---- Opening --------------------------------------------------------------------

// strerror's buffer may be shared between threads; this is safe on any.
std::string Reason(int error) { return std::generic_category().message(error); }

// Why a file of this kind is not read, or "" for a regular file.
std::string KindRefused(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return "";
  return S_ISDIR(st.st_mode) ? "é uma pasta, não um arquivo" : "não é um arquivo comum";
}

}  // namespace

std::string ShownWord(const std::string& word) {
  if (!IsPrintableText(word)) return "dados binários";
  return "o texto \"" + CutShort(word) + "\"";
}

std::string ReadReport::StopSummary() const {
  return "parou no registro " + std::to_string(stopRecord) + ": " + reason + "; linhas lidas: " +
         std::to_string(linesRead);
}

bool WriteDrawing(std::FILE* file, const EntityList& entities) {
  // Back to front, so that reading puts each record in front of the last.
  entities.forEachBackToFront([file](const Entity* e) {
    std::fprintf(file, "%d\n", e->kind);
    e->writeRecord(file);
  });
  return std::ferror(file) == 0;
}

std::FILE* OpenRegularFile(const std::string& path, std::string& error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    error = Reason(errno);
    return nullptr;
  }
  error = KindRefused(st);
  if (!error.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(errno);
    return nullptr;
  }
  if (::fstat(fd, &st) != 0) error = Reason(errno);
  else error = KindRefused(st);
  const int flags = ::fcntl(fd, F_GETFL);
  if (error.empty() && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
    error = Reason(errno);
  }
  std::FILE* file = error.empty() ? ::fdopen(fd, "r") : nullptr;
  if (!file) {
    if (error.empty()) error = Reason(errno);
    ::close(fd);
  }
  return file;
}

bool LoadDrawingFile(const std::string& path, double wallWidth, EntityList& into,
                     ReadReport& report, std::string& error) {
  std::FILE* file = OpenRegularFile(path, error);
  if (!file) return false;
  std::vector<LineRecord> lines;
  errno = 0;
  const ReadReport read = ReadRecords(file, lines);
  const int failure = errno;
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = Reason(failure ? failure : EIO);
    return false;
  }
  EntityList fresh;
  for (const LineRecord& l : lines)
    fresh.insertAtFront(new LineEntity(l.x0, l.y0, l.x1, l.y1, wallWidth, l.color));
  into.swap(fresh);  // the old entities go with fresh
  report = read;
  return true;
}

std::string RealText(double value) {
  char text[40] = "";
  // Six significant digits as "%g" writes them, more only when six do not
  // read back to the same double (17 always do).
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return text;
}

bool SaveDrawingFile(const std::string& path, const EntityList& entities, std::string& error) {
  return WriteFileAtomically(
      path, [&entities](std::FILE* file) { return WriteDrawing(file, entities); }, error);
}

void ReplaceWithWalls(const std::vector<WallSegment>& walls, double wallWidth, EntityList& into) {
  EntityList fresh;
  for (const WallSegment& w : walls)
    fresh.insertAtFront(new LineEntity(w.x0, w.y0, w.x1, w.y1, wallWidth));
  into.swap(fresh);  // the old entities go with fresh
}

std::vector<WallSegment> WallSegmentsOf(const EntityList& entities) {
  std::vector<WallSegment> walls;
  entities.forEachBackToFront([&walls](const Entity* e) {
    if (const auto* line = dynamic_cast<const LineEntity*>(e))
      walls.push_back({line->x0, line->y0, line->x1, line->y1});
  });
  return walls;
}
