// Drawing files: per entity a kind line and a data line, back to front, so
// that reading them in file order and putting each in front restores the
// drawing's order.
#include "model/drawing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "model/entity.h"

namespace {

void StopEarly(ReadReport& report, int record, const std::string& reason) {
  report.complete = false;
  report.stopRecord = record;
  report.reason = reason;
}

// Reads one line record; false with the reason when its five numbers are
// not all there or one of them is not a finite number.
bool ReadLineRecord(std::FILE* file, std::string& reason) {
  long color = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (std::fscanf(file, "%ld %lg %lg %lg %lg", &color, &x0, &y0, &x1, &y1) != 5) {
    reason = "linha de dados incompleta";
    return false;
  }
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
    reason = "coordenada que não é um número finito";
    return false;
  }
  new LineEntity(x0, y0, x1, y1, color);  // goes to the front of the drawing
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The mode a newly created file would get, or the mode of the file replaced.
mode_t ModeForTarget(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string Reason(int error) { return std::strerror(error); }

// Removes the temporary file unless it has been renamed into place.
struct TemporaryFile {
  std::string path;
  bool kept = false;
  ~TemporaryFile() {
    if (!path.empty() && !kept) ::unlink(path.c_str());
  }
};

}  // namespace

ReadReport ReadDrawing(std::FILE* file) {
  ReadReport report;
  for (int record = 1;; ++record) {
    int kind = 0;
    if (std::fscanf(file, "%d", &kind) != 1) return report;  // the normal end
    if (kind != 0) {
      StopEarly(report, record, "tipo de figura desconhecido (" + std::to_string(kind) + ")");
      return report;
    }
    std::string reason;
    if (!ReadLineRecord(file, reason)) {
      StopEarly(report, record, reason);
      return report;
    }
    ++report.linesRead;
  }
}

bool WriteDrawing(std::FILE* file) {
  // Back to front, so that reading puts each record in front of the last.
  forEachBackToFront([file](const Entity* e) {
    std::fprintf(file, "%d\n", e->kind);
    e->writeRecord(file);
  });
  return std::ferror(file) == 0;
}

bool LoadDrawingFile(const std::string& path, ReadReport& report, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (!file) {
    error = Reason(errno);
    return false;
  }
  deleteAll();
  report = ReadDrawing(file);
  std::fclose(file);
  return true;
}

bool SaveDrawingFile(const std::string& path, std::string& error) {
  TemporaryFile temp;
  temp.path = FolderOf(path) + "/.brisel-save-XXXXXX";
  const int fd = ::mkstemp(&temp.path[0]);
  if (fd < 0) {
    error = Reason(errno);
    temp.path.clear();
    return false;
  }
  ::fchmod(fd, ModeForTarget(path));
  std::FILE* file = ::fdopen(fd, "w");
  if (!file) {
    error = Reason(errno);
    ::close(fd);
    return false;
  }
  errno = 0;
  bool ok = WriteDrawing(file) && std::fflush(file) == 0 && ::fsync(fd) == 0;
  int failure = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && std::rename(temp.path.c_str(), path.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    error = Reason(failure ? failure : EIO);
    return false;
  }
  temp.kept = true;
  return true;
}
