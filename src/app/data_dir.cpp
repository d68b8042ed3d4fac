// The data directory beside the executable: a pure path computation, and the two calls that
// feed it the running executable's path and the working directory's contents.
#include "app/data_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/state.h"

// PATCHLUME_DATA_FROM_BIN, from the build: the data directory relative to the programs' one.

bool dataFileBeside(const char* exePath, const char* dataFromBin, const char* name, char* out,
                    std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  const char* slash = std::strrchr(exePath, '/');
  if (slash == nullptr) return false;
  // An executable in the root gives "/../share/...", which the kernel reads as "/share/...".
  const int dirLength = static_cast<int>(slash - exePath);
  const int written = std::snprintf(out, capacity, "%.*s/%s/%s", dirLength, exePath,
                                    dataFromBin, name);
  if (written < 0 || static_cast<std::size_t>(written) >= capacity) {
    out[0] = '\0';
    return false;
  }
  return true;
}

void locateDefaultAtlas() {
  defaultAtlasPath[0] = '\0';
  char exePath[kPathCapacity];
  const ssize_t length = readlink("/proc/self/exe", exePath, sizeof exePath - 1);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof exePath - 1) return;
  exePath[length] = '\0';
  dataFileBeside(exePath, PATCHLUME_DATA_FROM_BIN, "cubemap.png", defaultAtlasPath,
                 sizeof defaultAtlasPath);
}

const char* atlasFileToRead() {
  struct stat info;
  // Only a missing file gives way: one that is there but unreadable is reported as such.
  if (defaultAtlasPath[0] == '\0' || stat("cubemap.png", &info) == 0 || errno != ENOENT) {
    return "cubemap.png";
  }
  return defaultAtlasPath;
}
