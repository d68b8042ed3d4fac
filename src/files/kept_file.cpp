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
constexpr int kMaxLinks = 40;                    // symbolic links followed, as the kernel does
constexpr char kTemporaryName[] = ".patchlume-XXXXXX";  // short, so any allowed name can be saved

bool failWith(int error, char* reason, std::size_t capacity) {
  std::snprintf(reason, capacity, "%s", std::strerror(error));
  return false;
}

// The length of what precedes the last component of path: up to and including its last '/'.
int directoryLength(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? static_cast<int>(slash - path + 1) : 0;
}

// Follows path through symbolic links to the name the data lives under, which need not exist
// (a dangling link is saved through). False with errno on a loop or a name too long.
bool resolveLinks(const char* path, char* target, std::size_t capacity) {
  if (std::snprintf(target, capacity, "%s", path) >= static_cast<int>(capacity)) {
    errno = ENAMETOOLONG;
    return false;
  }
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (lstat(target, &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    char link[kTempNameCapacity];
    const ssize_t n = readlink(target, link, sizeof link - 1);
    if (n < 0) return false;
    if (hops == kMaxLinks) {
      errno = ELOOP;
      return false;
    }
    link[n] = '\0';
    // A relative link is read from the directory that holds it.
    const int keep = link[0] == '/' ? 0 : directoryLength(target);
    char next[kTempNameCapacity];
    if (std::snprintf(next, sizeof next, "%.*s%s", keep, target, link) >=
        static_cast<int>(sizeof next)) {
      errno = ENAMETOOLONG;
      return false;
    }
    std::snprintf(target, capacity, "%s", next);
  }
}

// The directory whose entry a rename in it changes: what precedes the last '/', or ".".
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

// Overwrites the file at target (oldSize bytes now) with data, keeping its inode so that
// every hard link sees the change. Blocks for longer contents are taken first, so that a full
// disk or a size limit stops the save before a byte of the file has changed.
bool overwriteInPlace(const char* target, const char* data, std::size_t size, off_t oldSize) {
  const int fd = open(target, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  if (static_cast<off_t>(size) > oldSize) {
    const int error = posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (error != 0) {
      // The length may have grown before the allocation failed.
      if (ftruncate(fd, oldSize) != 0) {
        // Then only zeros were added past the old end; the old bytes are all there.
      }
      errno = error;
      ok = false;
    }
  }
  ok = ok && writeAll(fd, data, size) && ftruncate(fd, static_cast<off_t>(size)) == 0 &&
       fsync(fd) == 0;
  const int error = errno;
  if (close(fd) != 0 && ok) return false;
  errno = error;
  return ok;
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

int makeTemporaryBeside(const char* target, char* temporary, std::size_t capacity) {
  const int dirLength = directoryLength(target);
  if (std::snprintf(temporary, capacity, "%.*s%s", dirLength, target, kTemporaryName) >=
      static_cast<int>(capacity)) {
    temporary[0] = '\0';
    errno = ENAMETOOLONG;
    return -1;
  }
  const int fd = mkostemp(temporary, O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    temporary[0] = '\0';
    errno = error;
  }
  return fd;
}

unsigned newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool tellDirectoryRefusal(const char* path, int error, char* reason, std::size_t capacity) {
  if (error != EACCES && error != EPERM && error != EROFS) return false;
  char dir[kTempNameCapacity];
  directoryOf(path, dir, sizeof dir);
  std::snprintf(reason, capacity, "cannot write in %s: %s", dir, std::strerror(error));
  return true;
}

bool syncDirectoryOf(const char* path) {
  char dir[kTempNameCapacity];
  directoryOf(path, dir, sizeof dir);
  const int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  const int error = errno;
  close(fd);
  errno = error;
  return ok;
}

bool replaceFile(const char* path, const char* data, std::size_t size, char* reason,
                 std::size_t reasonCapacity) {
  // Through links to the file itself, so that a link stays a link.
  char target[kTempNameCapacity];
  if (!resolveLinks(path, target, sizeof target)) return failWith(errno, reason, reasonCapacity);
  struct stat info;
  const bool replacing = stat(target, &info) == 0;
  if (replacing && S_ISDIR(info.st_mode)) return failWith(EISDIR, reason, reasonCapacity);
  // A FIFO or a device under the name is no file of ours to replace.
  if (replacing && !S_ISREG(info.st_mode)) {
    std::snprintf(reason, reasonCapacity, "not a regular file");
    return false;
  }
  // A rename would go round the file's own permissions.
  if (replacing && access(target, W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
    std::snprintf(reason, reasonCapacity, "file is read-only");
    return false;
  }
  // The replacement keeps the permissions of what it replaces; a new file gets the usual ones.
  const mode_t mode = replacing ? info.st_mode & 07777 : newFileMode();
  char temporary[kTempNameCapacity];
  const int fd = makeTemporaryBeside(target, temporary, sizeof temporary);
  if (fd < 0) {
    const int error = errno;
    if (!tellDirectoryRefusal(target, error, reason, reasonCapacity)) {
      return failWith(error, reason, reasonCapacity);
    }
    return false;
  }
  // Another's file stays theirs where that is allowed (it is for root); before the mode,
  // which a change of owner may clear bits of.
  if (replacing && fchown(fd, info.st_uid, info.st_gid) != 0) {
    // Not allowed: the new file is the saver's, as a new file would be.
  }
  bool ok = fchmod(fd, mode) == 0 && writeAll(fd, data, size) && fsync(fd) == 0;
  int error = errno;
  // The close can be the first to report a write the file system deferred.
  if (close(fd) != 0 && ok) ok = false, error = errno;
  if (ok && replacing && info.st_nlink > 1) {
    // Hard links share the inode a rename would split off: the whole new contents are safe
    // in the temporary, then written into the file itself, which the temporary then leaves.
    if (!overwriteInPlace(target, data, size, info.st_size)) ok = false, error = errno;
    unlink(temporary);
  } else if (ok && rename(temporary, target) != 0) {
    ok = false, error = errno;
  }
  if (!ok) {
    unlink(temporary);
    return failWith(error, reason, reasonCapacity);
  }
  // Until the directory is synced the rename itself may not survive a crash.
  return syncDirectoryOf(target) || failWith(errno, reason, reasonCapacity);
}

bool writeKeptFile(const char* path, const char* data, std::size_t size, const char* verb) {
  char reason[kTempNameCapacity + 256];  // room for "cannot write in DIR: ..."
  if (!replaceFile(path, data, size, reason, sizeof reason)) {
    std::fprintf(stderr, "%s: %s\n", path, reason);
    return false;
  }
  std::printf("%s %s\n", verb, path);
  std::fflush(stdout);
  return true;
}
