// The data directory beside the executable.
#include "app/data_dir.h"

#include <gtest/gtest.h>

TEST(DataDir, FileBesideTheExecutable) {
  const struct {
    const char* exe;
    std::size_t capacity;
    const char* expected;  // "" when refused
  } cases[] = {
      {"/usr/bin/patchlume", 40, "/usr/bin/../share/patchlume/cubemap.png"},  // just fits
      {"patchlume", 64, ""},
      {"/usr/bin/patchlume", 39, ""},  // 39 characters and no room for the terminator
  };
  for (const auto& c : cases) {
    char out[64] = "stale";
    EXPECT_EQ(dataFileBeside(c.exe, "../share/patchlume", "cubemap.png", out, c.capacity),
              c.expected[0] != '\0') << c.exe << " in " << c.capacity;
    EXPECT_STREQ(out, c.expected);
  }
}
