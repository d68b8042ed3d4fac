// The data directory beside the executable, and which atlas start-up reads.
#include "app/data_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/state.h"
#include "support/x_session.h"

TEST(DataDir, FileBesideTheExecutable) {
  const struct {
    const char* exe;
    std::size_t capacity;
    const char* expected;  // "" when refused
  } cases[] = {
      {"/usr/bin/patchlume", 64, "/usr/bin/../share/patchlume/cubemap.png"},
      {"/opt/moved here/bin/patchlume", 64, "/opt/moved here/bin/../share/patchlume/cubemap.png"},
      {"/patchlume", 64, "/../share/patchlume/cubemap.png"},
      {"patchlume", 64, ""},
      // 39 characters and the terminator: one byte short fails, the exact size fits.
      {"/usr/bin/patchlume", 39, ""},
      {"/usr/bin/patchlume", 40, "/usr/bin/../share/patchlume/cubemap.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.exe) + " in " + std::to_string(c.capacity));
    char out[64] = "stale";
    EXPECT_EQ(dataFileBeside(c.exe, "../share/patchlume", "cubemap.png", out, c.capacity),
              c.expected[0] != '\0');
    EXPECT_STREQ(out, c.expected);
  }
}

TEST(DataDir, WorkingDirectoryAtlasFirstTheDefaultOnlyWhenThereIsNone) {
  char before[kPathCapacity];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  const std::string dir = e2e::makeTempDir();
  ASSERT_EQ(chdir(dir.c_str()), 0);
  std::snprintf(defaultAtlasPath, sizeof defaultAtlasPath, "/opt/share/patchlume/cubemap.png");
  EXPECT_STREQ(atlasFileToRead(), "/opt/share/patchlume/cubemap.png");
  // Even an empty file is the user's, reported as it is.
  std::fclose(std::fopen("cubemap.png", "wb"));
  EXPECT_STREQ(atlasFileToRead(), "cubemap.png");
  std::remove("cubemap.png");
  defaultAtlasPath[0] = '\0';
  EXPECT_STREQ(atlasFileToRead(), "cubemap.png");
  ASSERT_EQ(chdir(before), 0);
  e2e::removeTree(dir);
}
