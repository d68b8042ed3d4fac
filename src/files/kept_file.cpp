// The atomic replace of kept files. The temporary is a hidden name beside the target, so the
// rename never crosses a file system; every step's failure is caught where it happens.
#include "files/kept_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>  // mkostemp
#include <cstring>

namespace {

constexpr std::size_t kTempNameCapacity = 4200;  // a path of PATH_MAX bytes and the suffix

bool failWith(int error, char* reason, std::size_t capacity) {
  std::snprintf(reason, capacity, "%s", std::strerror(error));
  return false;
}

// "dir/.name.XXXXXX" for "dir/name", ".name.XXXXXX" for "name"; false when too long.
bool temporaryTemplate(const char* path, char* name, std::size_t capacity) {
  const char* slash = std::strrchr(path, '/');
  const int dirLength = slash != nullptr ? static_cast<int>(slash - path + 1) : 0;
  const char* base = path + dirLength;
  const int written = std::snprintf(name, capacity, "%.*s.%s.XXXXXX", dirLength, path, base);
  return written > 0 && static_cast<std::size_t>(written) < capacity;
}

// The directory whose entry the rename changed: what precedes the last '/', or ".".
void directoryOf(const char* path, char* dir, std::size_t capacity) {
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) {
    std::snprintf(dir, capacity, ".");
  } else if (slash == path) {
    std::snprintf(dir, capacity, "/");
  } else {
    std::snprintf(dir, capacity, "%.*s", static_cast<int>(slash - path), path);
  }
}

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool appendFormatted(char* text, std::size_t capacity, std::size_t* used, const char* format, ...) {
  if (*used >= capacity) return false;
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(text + *used, capacity - *used, format, args);
  va_end(args);
  if (written < 0 || static_cast<std::size_t>(written) >= capacity - *used) {
    text[*used] = '\0';
    return false;
  }
  *used += static_cast<std::size_t>(written);
  return true;
}

bool replaceFile(const char* path, const char* data, std::size_t size, char* reason,
                 std::size_t reasonCapacity) {
  char temporary[kTempNameCapacity];
  if (!temporaryTemplate(path, temporary, sizeof temporary)) {
    return failWith(ENAMETOOLONG, reason, reasonCapacity);
  }
  // The replacement keeps the permissions of what it replaces; a new file gets the usual ones.
  mode_t mode = 0;
  struct stat info;
  if (stat(path, &info) == 0 && S_ISREG(info.st_mode)) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) return failWith(errno, reason, reasonCapacity);
  bool ok = fchmod(fd, mode) == 0 && writeAll(fd, data, size) && fsync(fd) == 0;
  int error = errno;
  // The close can be the first to report a write the file system deferred.
  if (close(fd) != 0 && ok) ok = false, error = errno;
  if (ok && rename(temporary, path) != 0) ok = false, error = errno;
  if (!ok) {
    unlink(temporary);
    return failWith(error, reason, reasonCapacity);
  }
  // Until the directory is synced the rename itself may not survive a crash.
  char dir[kTempNameCapacity];
  directoryOf(path, dir, sizeof dir);
  const int dirFd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return failWith(errno, reason, reasonCapacity);
  ok = fsync(dirFd) == 0;
  error = errno;
  close(dirFd);
  return ok || failWith(error, reason, reasonCapacity);
}

bool writeKeptFile(const char* path, const char* data, std::size_t size, const char* verb) {
  char reason[256];
  if (!replaceFile(path, data, size, reason, sizeof reason)) {
    std::fprintf(stderr, "%s: %s\n", path, reason);
    return false;
  }
  std::printf("%s %s\n", verb, path);
  std::fflush(stdout);
  return true;
}
