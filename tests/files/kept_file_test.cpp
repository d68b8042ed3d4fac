// Files on a scratch directory: the atomic replace keeps modes, and every way it can fail
// leaves the target as it was and no temporary behind; readNetFile tells a missing file from
// one it refuses.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "capture/frame_file.h"
#include "files/kept_file.h"
#include "files/net_file.h"
#include "support/files.h"

// The calls that order a replace, logged while callLog is set: the test's own definitions
// come before the C library's, which they then call.
static std::vector<std::string>* callLog = nullptr;

static std::string pathOf(int fd) {
  char link[4200];
  const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link);
  return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : "?";
}

extern "C" int fsync(int fd) {
  if (callLog != nullptr) callLog->push_back("fsync " + pathOf(fd));
  return reinterpret_cast<decltype(&fsync)>(dlsym(RTLD_NEXT, "fsync"))(fd);
}
extern "C" int rename(const char* from, const char* to) noexcept {
  if (callLog != nullptr) callLog->push_back(std::string("rename ") + from + " " + to);
  return reinterpret_cast<decltype(&rename)>(dlsym(RTLD_NEXT, "rename"))(from, to);
}
extern "C" int unlink(const char* path) noexcept {
  if (callLog != nullptr) callLog->push_back(std::string("unlink ") + path);
  return reinterpret_cast<decltype(&unlink)>(dlsym(RTLD_NEXT, "unlink"))(path);
}

namespace {

class KeptFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = support::makeTempDir();
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override { support::removeTree(dir); }
  std::string at(const std::string& name) const { return dir + "/" + name; }
  void put(const std::string& name, const std::string& text) {
    ASSERT_TRUE(replaceFile(at(name).c_str(), text.data(), text.size(), reason, sizeof reason)) << reason;
  }
  mode_t modeOf(const std::string& name) const {
    struct stat info;
    return stat(at(name).c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }

  // With old.net holding "old\n" and two other entries beside it.
  bool failsPastFileSizeLimit() {
    ignoreFileSizeSignal();
    const rlimit limit = {1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string big(5000, 'b');
    return !replaceFile(at("old.net").c_str(), big.data(), big.size(), reason, sizeof reason) &&
           std::strcmp(reason, std::strerror(EFBIG)) == 0 &&
           support::readTextFile(at("old.net")) == "old\n" && support::listFiles(dir).size() == 3;
  }

  std::string dir;
  char reason[256] = "";
};

}  // namespace

TEST_F(KeptFile, ReplaceWritesWholeWithTheUmaskModeThenKeepsTheFilesMode) {
  const mode_t mask = umask(027);
  put("a.net", "first\n");
  EXPECT_EQ(modeOf("a.net"), 0640u);
  // Neither the temporary's 0600 nor the umask's, set-user-ID among them, which a change of
  // owner clears; and another owner where the test may give one (as root).
  if (chown(at("a.net").c_str(), 65534, 65534) != 0) {
  }
  ASSERT_EQ(chmod(at("a.net").c_str(), 04604), 0);
  struct stat before, after;
  ASSERT_EQ(stat(at("a.net").c_str(), &before), 0);
  put("a.net", std::string(100000, 'z'));
  EXPECT_EQ(umask(mask), 027u) << "the save left another umask";
  ASSERT_EQ(stat(at("a.net").c_str(), &after), 0);
  EXPECT_EQ(modeOf("a.net"), 04604u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(support::readTextFile(at("a.net")), std::string(100000, 'z'));
  EXPECT_EQ(support::listFiles(dir), std::vector<std::string>{"a.net"});
}

TEST_F(KeptFile, TheTemporaryIsSyncedBeforeItIsRenamedOrCopiedAndTheDirectoryAfter) {
  // h1.net and h2.net one file under two names; sub/rel.net and sub/abs.net links, relative
  // and absolute, to real/t.net, which lies in another directory than they do.
  ASSERT_TRUE(mkdir(at("real").c_str(), 0755) == 0 && mkdir(at("sub").c_str(), 0755) == 0);
  put("h1.net", "old, 19 bytes long\n");
  put("real/t.net", "old\n");
  ASSERT_TRUE(link(at("h1.net").c_str(), at("h2.net").c_str()) == 0 &&
              symlink("../real/t.net", at("sub/rel.net").c_str()) == 0 &&
              symlink(at("real/t.net").c_str(), at("sub/abs.net").c_str()) == 0);
  const struct {
    const char* name;
    std::string data, sameFile;      // sameFile: another name that must read the data too
    std::vector<std::string> calls;  // the directory as D, the temporary as T
  } cases[] = {{"a.net", "new\n", "a.net", {"fsync D/T", "rename D/T D/a.net", "fsync D"}},
               {"h2.net", "shorter\n", "h1.net", {"fsync D/T", "fsync D/h2.net", "unlink D/T", "fsync D"}},
               {"h1.net", "longer than both before\n", "h2.net", {"fsync D/T", "fsync D/h1.net", "unlink D/T", "fsync D"}},
               {"sub/rel.net", "through a link\n", "real/t.net",
                {"fsync D/real/T", "rename D/sub/../real/T D/sub/../real/t.net", "fsync D/real"}},
               {"sub/abs.net", "again\n", "real/t.net", {"fsync D/real/T", "rename D/real/T D/real/t.net", "fsync D/real"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> calls;
    callLog = &calls;
    const bool done = replaceFile(at(c.name).c_str(), c.data.data(), c.data.size(), reason, sizeof reason);
    callLog = nullptr;
    ASSERT_TRUE(done) << reason;
    for (std::string& call : calls)
      call = std::regex_replace(std::regex_replace(call, std::regex(dir), "D"), std::regex("\\.patchlume-[A-Za-z0-9]{6}"), "T");
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(support::readTextFile(at(c.name)), c.data);
    EXPECT_EQ(support::readTextFile(at(c.sameFile)), c.data);
    EXPECT_EQ(support::listFiles(dir), (std::vector<std::string>{"a.net", "h1.net", "h2.net", "real", "sub"}));
    EXPECT_EQ(support::listFiles(at("real")), std::vector<std::string>{"t.net"});
    struct stat info;
    EXPECT_TRUE(lstat(at("sub/rel.net").c_str(), &info) == 0 && S_ISLNK(info.st_mode));
  }
}

TEST_F(KeptFile, FailedReplaceLeavesTheTargetAndNoTemporary) {
  put("old.net", "old\n");
  ASSERT_EQ(mkdir(at("in-the-way").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(at("fifo").c_str(), 0644), 0);
  const struct {
    const char* target;
    const char* reason;
  } cases[] = {{"missing/new.net", std::strerror(ENOENT)}, {"in-the-way", std::strerror(EISDIR)},
               {"old.net/new.net", std::strerror(ENOTDIR)}, {"fifo", "not a regular file"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_FALSE(replaceFile(at(c.target).c_str(), "new\n", 4, reason, sizeof reason));
    EXPECT_STREQ(reason, c.reason);
    EXPECT_EQ(support::listFiles(dir), (std::vector<std::string>{"fifo", "in-the-way", "old.net"}));
    EXPECT_TRUE(support::listFiles(at("in-the-way")).empty());
    EXPECT_EQ(support::readTextFile(at("old.net")), "old\n");
  }

  // A write past the file-size limit, in a child so that the limit stays there.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(failsPastFileSizeLimit() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST_F(KeptFile, ReadNetFileTellsMissingFromRefusedAndReadsGoodOnes) {
  double grid[kGridSize][kGridSize][3] = {};
  char text[kNetTextCapacity];
  const std::size_t length = formatNet(grid, text, sizeof text);
  put("good.net", std::string(text, length));
  put("huge.net", std::string(kNetMaxBytes + 10, '#'));
  ASSERT_EQ(mkdir(at("dir.net").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(at("fifo.net").c_str(), 0644), 0);
  const struct {
    const char* name;
    int result, line;
    const char* what;
  } cases[] = {{"good.net", 1, 0, ""},
               {"missing.net", 0, 0, ""},
               {"dir.net", -1, 0, "cannot read: Is a directory"},
               {"fifo.net", -1, 0, "not a regular file"},
               {"huge.net", -1, 1, "larger than 65536 bytes"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    double read[kGridSize][kGridSize][3];
    std::memset(read, 0x55, sizeof read);
    NetError error = {0, ""};
    EXPECT_EQ(readNetFile(at(c.name).c_str(), read, &error), c.result);
    EXPECT_EQ(error.line, c.line);
    EXPECT_STREQ(error.what, c.what);
    EXPECT_EQ(std::memcmp(read, grid, sizeof grid) == 0, c.result == 1);
  }
}

TEST_F(KeptFile, SaveNetFileKeepsTheLayoutOfTheNetOnDisk) {
  std::string hand = "\xEF\xBB\xBF# mine\r\n", saved = hand;
  for (int p = 0; p < 16; ++p) hand += "0 0 0 # p\r\n", saved += p < 15 ? "0 0 0 # p\r\n" : "0 0 0.5 # p\r\n";
  put("hand.net", hand);
  double grid[kGridSize][kGridSize][3] = {};
  grid[3][3][2] = 0.5;
  ASSERT_TRUE(saveNetFile(at("hand.net").c_str(), grid));
  EXPECT_EQ(support::readTextFile(at("hand.net")), saved);
}

TEST(AppendFormatted, FillsToTheLastByteAndNoFurther) {
  char text[8];
  std::size_t used = 0;
  EXPECT_TRUE(appendFormatted(text, sizeof text, &used, "%d", 1234));
  EXPECT_TRUE(appendFormatted(text, sizeof text, &used, "%s", "567"));
  EXPECT_FALSE(appendFormatted(text, sizeof text, &used, "%s", "8"));
  EXPECT_EQ(used, 7u);
  EXPECT_STREQ(text, "1234567");
}
