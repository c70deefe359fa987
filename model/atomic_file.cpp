// Atomic saves: a temporary file next to the target, flushed to the disk,
// then renamed over it.
#include "model/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

namespace {

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

// Follows symbolic links from `path` to the file they name, so that a save
// replaces that file and the links stay.  False with errno set on a loop.
bool ResolveLinks(std::string& path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return false;
    if (static_cast<size_t>(length) >= target.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string next(target.data(), static_cast<size_t>(length));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

// Removes the temporary file unless it has been renamed into place.
struct TemporaryFile {
  std::string path;
  bool kept = false;
  ~TemporaryFile() {
    if (!path.empty() && !kept) ::unlink(path.c_str());
  }
};

}  // namespace

bool WriteFileAtomically(const std::string& requested, const std::function<bool(std::FILE*)>& write,
                         std::string& error) {
  std::string path = requested;
  if (!ResolveLinks(path)) {
    error = Reason(errno);
    return false;
  }
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
  bool ok = write(file) && std::ferror(file) == 0 && std::fflush(file) == 0 && ::fsync(fd) == 0;
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
