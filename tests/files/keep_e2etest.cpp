// The kept files through the real binary: a saved net reopens to the same frames and saves to
// the same bytes, malformed nets and command lines are refused before the window with the
// file untouched, a failed save keeps the old file whole, and the OBJ export is the
// tessellation, read as one mesh of triangles by a standard importer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "files/net_file.h"
#include "files/obj_file.h"
#include "model/basis.h"
#include "model/tessellation.h"
#include "support/x_session.h"

namespace {

using e2e::pointLines;

// Point (0, 0) is drawn at front-view pixel (60, 460); dropped at (120, 400) it lies at
// x = 4 * 120 - 800, y = 800 + 4 * (400 - 400), z as before.
constexpr int kDragFrom[2] = {60, 460}, kDragTo[2] = {120, 400};
const char* const kDraggedLine = "-320 800 -400";
// No cubemap.png in the working directory: the default one beside the binary is read.
const std::string kNoAtlas = "width: 1024 height: 768\n";
const char* const kUsage =
    "usage: patchlume [GLUT options] [--] [NET]\nTry 'patchlume --help' for more information.";

std::string lineOf(const std::string& text, int number) {
  size_t at = 0;
  for (int n = 1; n < number && at != std::string::npos; ++n) at = text.find('\n', at) + 1;
  return text.substr(at, text.find('\n', at) - at);
}

class KeepE2eTest : public e2e::AppSessionTest {
 protected:
  void TearDown() override {
    if (mounted) e2e::runCommand({"umount", "-l", path("disk")});
    AppSessionTest::TearDown();
  }
  ::testing::AssertionResult launchWith(const std::vector<std::string>& args) {
    e2e::LaunchOptions options;
    options.args = args;
    return launch(PATCHLUME_BINARY, options);
  }
  ::testing::AssertionResult fileHolds(const std::string& relative, const std::string& expected) {
    if (e2e::waitForFileContents(path(relative), expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << relative << " holds \"" << e2e::readTextFile(path(relative))
                                         << "\", not \"" << expected << "\"";
  }
  void dragPointZero() { drag(1, kDragFrom[0], kDragFrom[1], kDragTo[0], kDragTo[1]); }

  bool mounted = false;
};

TEST_F(KeepE2eTest, SaveReopenAndSaveAgainGiveTheSameBytesAndTheSameFrames) {
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  e2e::TgaImage initial, edited, reopened;
  ASSERT_TRUE(keyRecords(XK_s, 0, initial));
  dragPointZero();
  int number = 0;
  ASSERT_TRUE(settledFrame(1, number, edited));
  key(XK_w);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "saved patch.net\n"));
  const std::string saved = e2e::readTextFile(path("patch.net"));
  EXPECT_EQ(lineOf(saved, 2), kDraggedLine);
  int status = 0;
  const Window first = window;
  ASSERT_TRUE(quit(status));
  // The old window must be gone before the new one is looked for.
  ASSERT_TRUE(e2e::waitUntilGone(server.display, first));

  e2e::removeTree(frameDir());
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  ASSERT_TRUE(keyRecords(XK_s, 0, reopened));
  EXPECT_TRUE(reopened.data == edited.data) << "the reopened net draws other pixels";
  EXPECT_FALSE(reopened.data == initial.data) << "the net was not applied";
  key(XK_w, true);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "saved patch.net\n"));
  EXPECT_EQ(e2e::readTextFile(path("patch.net")), saved);
}

TEST_F(KeepE2eTest, MalformedNetsAndCommandLinesAreRefusedBeforeTheWindowUntouched) {
  const std::string good3 = pointLines(3);
  const struct {
    const char* label;
    std::string contents;  // written to f.net; "/" makes it a directory, "" with no name no file
    std::vector<std::string> args;
    int status;
    std::string error;
  } cases[] = {
      {"too few points", pointLines(15), {"f.net"}, 1, "f.net:16: expected 16 points, found 15"},
      {"too many points", pointLines(17), {"f.net"}, 1, "f.net:17: more than 16 points"},
      {"NaN", good3 + "NaN 1 2\n", {"f.net"}, 1, "f.net:4: \"NaN\" is not a finite number"},
      {"infinity", good3 + "1 inf 2\n", {"f.net"}, 1, "f.net:4: \"inf\" is not a finite number"},
      {"1e300", good3 + "1 2 1e300\n", {"f.net"}, 1, "f.net:4: \"1e300\" is larger in magnitude than 1e9"},
      {"two numbers", good3 + "1 2\n", {"f.net"}, 1, "f.net:4: expected 3 numbers, found 2"},
      {"four numbers", good3 + "1 2 3 4\n", {"f.net"}, 1, "f.net:4: expected 3 numbers, found 4"},
      {"words", good3 + "one two three\n", {"f.net"}, 1, "f.net:4: expected a number, found \"one\""},
      {"trailing junk", good3 + "1 2 3 x # y\n", {"f.net"}, 1, "f.net:4: unexpected \"x\" after 3 numbers"},
      {"empty", "", {"f.net"}, 1, "f.net:1: expected 16 points, found 0"},
      {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0", 9), {"f.net"}, 1, "f.net:1: not a text file (byte 0x7f)"},
      {"a directory", "/", {"f.net"}, 1, "f.net: cannot read: Is a directory"},
      {"two arguments", "", {"a.net", "b.net"}, 2, kUsage},
      {"an option", "", {"-x"}, 2, kUsage},
      {"a net after --", good3 + "1 2\n", {"--", "f.net"}, 1, "f.net:4: expected 3 numbers, found 2"},
  };
  // Every launch writes these two; made beforehand so that the listing shows only other files.
  for (const char* name : {"stdout.txt", "stderr.txt"}) std::fclose(std::fopen(path(name).c_str(), "w"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    e2e::removeTree(path("f.net"));
    if (c.contents == "/") {
      ASSERT_EQ(mkdir(path("f.net").c_str(), 0755), 0);
    } else if (c.args.back() == "f.net") {
      std::FILE* file = std::fopen(path("f.net").c_str(), "wb");
      ASSERT_NE(file, nullptr);
      std::fwrite(c.contents.data(), 1, c.contents.size(), file);
      std::fclose(file);
    }
    const std::vector<std::string> before = e2e::listFiles(workDir);
    e2e::LaunchOptions options;
    options.args = c.args;
    pid_t pid = e2e::launchProcess(PATCHLUME_BINARY, workDir, server.name(), options);
    int status = 0;
    ASSERT_TRUE(e2e::waitForExit(pid, 10000, status)) << "still running";
    ASSERT_TRUE(WIFEXITED(status)) << "wait status " << status;
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), c.error + "\n");
    // The atlas is loaded after the window is made: no message of it, no window.
    EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), "");
    EXPECT_EQ(e2e::listFiles(workDir), before);
    if (c.contents != "/" && c.args.back() == "f.net") {
      EXPECT_EQ(e2e::readTextFile(path("f.net")), c.contents);
    }
  }
}

TEST_F(KeepE2eTest, ASaveOntoAFullDiskKeepsTheOldFileAndTheNextOneGoesThrough) {
  ASSERT_EQ(mkdir(path("disk").c_str(), 0755), 0);
  mounted = e2e::runCommand({"mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", path("disk")}) == 0;
  if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs here (not root?)";
  ASSERT_TRUE(launchWith({"disk/patch.net"}));
  key(XK_w);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "saved disk/patch.net\n"));
  const std::string first = e2e::readTextFile(path("disk/patch.net"));

  // Fill every page that is left.
  const int fd = open(path("disk/filler").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  const std::vector<char> page(4096, 'f');
  while (write(fd, page.data(), page.size()) > 0) {
  }
  close(fd);

  dragPointZero();
  key(XK_w);
  ASSERT_TRUE(fileHolds("stderr.txt", "disk/patch.net: No space left on device\n"));
  EXPECT_EQ(e2e::listFiles(path("disk")), (std::vector<std::string>{"filler", "patch.net"}));
  EXPECT_EQ(e2e::readTextFile(path("disk/patch.net")), first);
  EXPECT_TRUE(e2e::isRunning(app));

  ASSERT_EQ(unlink(path("disk/filler").c_str()), 0);
  key(XK_w);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "saved disk/patch.net\nsaved disk/patch.net\n"));
  EXPECT_EQ(lineOf(e2e::readTextFile(path("disk/patch.net")), 2), kDraggedLine);
  EXPECT_EQ(e2e::listFiles(path("disk")), std::vector<std::string>{"patch.net"});
}

TEST_F(KeepE2eTest, ADirectoryInTheWayFailsTheSaveAndTheViewerGoesOn) {
  ASSERT_TRUE(launch(PATCHLUME_BINARY));
  ASSERT_EQ(mkdir(path("patch.net").c_str(), 0755), 0);
  key(XK_w);
  ASSERT_TRUE(fileHolds("stderr.txt", "patch.net: Is a directory\n"));
  EXPECT_EQ(e2e::listFiles(workDir), (std::vector<std::string>{"patch.net", "stderr.txt", "stdout.txt"}));
  EXPECT_TRUE(e2e::listFiles(path("patch.net")).empty());
  ASSERT_EQ(rmdir(path("patch.net").c_str()), 0);
  key(XK_w, true);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "saved patch.net\n"));
}

TEST_F(KeepE2eTest, GlutOptionsGoFirstAndTheObjIsTheTessellationBesideTheNet) {
  ASSERT_EQ(mkdir(path("sub").c_str(), 0755), 0);
  ASSERT_TRUE(launchWith({"-sync", "sub/mine.net"}));
  dragPointZero();
  key(XK_o);
  ASSERT_TRUE(fileHolds("stdout.txt", kNoAtlas + "exported sub/mine.obj\n"));

  // The same grid tessellated here gives the same text.
  initBinomials();
  initBernstein();
  initControlGrid();
  const double moved[3] = {-320.0, 800.0, -400.0};
  std::memcpy(controlPoints[0][0], moved, sizeof moved);
  updateSurface();
  std::vector<char> text(kObjTextCapacity);
  const size_t length = formatObj(surfacePoints, surfaceNormals, text.data(), text.size());
  EXPECT_TRUE(e2e::readTextFile(path("sub/mine.obj")) == std::string(text.data(), length));

  // A standard importer sees one mesh of triangles only.
  std::FILE* pipe = popen(("assimp info " + path("sub/mine.obj") + " 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string report;
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) report.append(buffer, n);
  ASSERT_EQ(pclose(pipe), 0) << "assimp (scripts/deps.sh test installs it): " << report;
  for (const char* line : {"Meshes:             1\n", "Faces:              32768\n",
                           "Primitive Types:    triangles\n"}) {
    EXPECT_NE(report.find(line), std::string::npos) << line << " not in\n" << report;
  }
}

int toNobody(const char* name, const struct stat*, int, FTW*) {
  const passwd* nobody = getpwnam("nobody");
  return nobody != nullptr ? lchown(name, nobody->pw_uid, nobody->pw_gid) : -1;
}

// What the table below needs beyond the fixture: nets and the OBJ as the viewer writes them,
// and every file of the working directory with its mode, links and contents.
class TrustE2eTest : public KeepE2eTest {
 protected:
  void SetUp() override {
    KeepE2eTest::SetUp();
    initBinomials();
    initBernstein();
    initControlGrid();
    char net[kNetTextCapacity];
    initial.assign(net, formatNet(controlPoints, net, sizeof net));
    const double moved[3] = {-320.0, 800.0, -400.0};
    std::memcpy(controlPoints[0][0], moved, sizeof moved);
    updateSurface();
    std::vector<char> obj(kObjTextCapacity);
    labels = {{initial, "initial"},
              {std::string(net, formatNet(controlPoints, net, sizeof net)), "dragged"},
              {std::string(obj.data(), formatObj(surfacePoints, surfaceNormals, obj.data(), obj.size())), "obj"}};
    // nobody may not reach the build tree (a clone in a private directory): a copy laid out as
    // an install, in a directory anyone may enter.
    stage = e2e::makeTempDir();
    for (const char* dir : {"", "/bin", "/share", "/share/patchlume"}) mkdir((stage + dir).c_str(), 0755);
    ASSERT_TRUE(chmod(stage.c_str(), 0755) == 0 && e2e::copyFile(PATCHLUME_BINARY, stage + "/bin/patchlume") &&
                chmod((stage + "/bin/patchlume").c_str(), 0755) == 0 &&
                e2e::copyFile(PATCHLUME_ASSETS "/cubemap.png", stage + "/share/patchlume/cubemap.png"));
  }
  void TearDown() override {
    e2e::removeTree(stage);
    KeepE2eTest::TearDown();
  }
  void put(const std::string& name, mode_t mode) {
    std::ofstream(path(name), std::ios::binary) << initial;
    chmod(path(name).c_str(), mode);
  }
  // One line an entry under `under`: "name -> link", "name/ mode" or "name mode xLINKS what".
  std::string listing(const std::string& under = "") {
    std::string out;
    for (const std::string& name : e2e::listFiles(path(under))) {
      const std::string rel = under + name;
      struct stat info;
      if (rel == "stdout.txt" || rel == "stderr.txt" || lstat(path(rel).c_str(), &info) != 0) continue;
      char mode[8], link[4096];
      std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
      const std::string text = S_ISREG(info.st_mode) ? e2e::readTextFile(path(rel)) : "";
      if (S_ISLNK(info.st_mode))
        out += rel + " -> " + std::string(link, readlink(path(rel).c_str(), link, sizeof link)) + "\n";
      else if (S_ISDIR(info.st_mode))
        out += rel + "/ " + mode + "\n" + listing(rel + "/");
      else
        out += rel + " " + mode + " x" + std::to_string(info.st_nlink) + " " +
               (labels.count(text) ? labels[text] : std::to_string(text.size()) + " bytes") + "\n";
    }
    return out;
  }
  std::string stage;                          // the viewer's copy, bin/ and share/ as installed
  std::string initial;                        // the net of the initial grid
  std::map<std::string, std::string> labels;  // file contents and their names in the table
};

TEST_F(TrustE2eTest, SavesAndFramesThatCannotGoAsUsualSayWhyAndLoseNothing) {
  const std::string name(251, 'n'), longNet = name + ".net", longObj = name + ".obj";
  const struct {
    const char* label;
    std::function<void()> setup;
    std::string net;
    long sizeLimit;
    const char* steps;  // d drags point 0, a letter is its key, | waits for a frame drawn after
    std::string out, err, files;
  } rows[] = {
      {"symlink", [&] { mkdir(path("real").c_str(), 0755), put("real/target.net", 0644), symlink("real/target.net", path("l.net").c_str()); },
       "l.net", -1, "dw", "saved l.net\n", "", "l.net -> real/target.net\nreal/ 0755\nreal/target.net 0644 x1 dragged\n"},
      {"dangling symlink", [&] { mkdir(path("real").c_str(), 0755), symlink("real/new.net", path("l.net").c_str()); },
       "l.net", -1, "dw", "saved l.net\n", "", "l.net -> real/new.net\nreal/ 0755\nreal/new.net 0644 x1 dragged\n"},
      {"hard link", [&] { put("a.net", 0640), link(path("a.net").c_str(), path("b.net").c_str()); },
       "a.net", -1, "dw", "saved a.net\n", "", "a.net 0640 x2 dragged\nb.net 0640 x2 dragged\n"},
      {"read-only file", [&] { put("patch.net", 0444); }, "patch.net", -1, "dw", "",
       "patch.net: file is read-only\npatch.net: unsaved changes not saved\n", "patch.net 0444 x1 initial\n"},
      {"read-only directory", [&] { mkdir(path("ro").c_str(), 0755), put("ro/patch.net", 0644), chmod(path("ro").c_str(), 0555); },
       "ro/patch.net", -1, "dw", "", "ro/patch.net: cannot write in ro: Permission denied\nro/patch.net: unsaved changes not saved\n",
       "ro/ 0555\nro/patch.net 0644 x1 initial\n"},
      {"255-byte name", [] {}, longNet, -1, "dwo", "saved " + longNet + "\nexported " + longObj + "\n", "",
       longNet + " 0644 x1 dragged\n" + longObj + " 0644 x1 obj\n"},
      {"full disk", [&] { put("patch.net", 0644), mkdir(path("screenshots").c_str(), 0755); }, "patch.net", 400, "dws|", "",
       "patch.net: File too large\nscreenshots/frame000.tga: File too large\npatch.net: unsaved changes not saved\n",
       "patch.net 0644 x1 initial\nscreenshots/ 0755\n"},
      {"no screenshots", [] {}, "patch.net", -1, "s|ss|", "",
       "screenshots/frame000.tga: No such file or directory\nscreenshots/frame000.tga: No such file or directory\n", ""},
  };
  const mode_t mask = umask(022);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    for (const std::string& entry : e2e::listFiles(workDir)) chmod(path(entry).c_str(), 0755), e2e::removeTree(path(entry));
    row.setup();
    // As root the viewer runs as nobody, to whom the files belong: modes bind it as any user.
    ASSERT_TRUE(geteuid() != 0 || nftw(workDir.c_str(), toNobody, 16, FTW_PHYS) == 0);
    ASSERT_TRUE(launch(stage + "/bin/patchlume", {row.sizeLimit, {row.net}, /*unprivileged=*/true}));
    for (const char* step = row.steps; *step != '\0'; ++step) {
      if (*step == 'd') dragPointZero();
      else if (*step != '|') key(XStringToKeysym(std::string(1, *step).c_str()));
      else
        for (bool shown : {true, false}) {
          key(XK_a);
          ASSERT_TRUE(e2e::waitForWindowAxes(server.display, window, shown));
        }
    }
    int status = 0;
    const Window shown = window;
    ASSERT_TRUE(quit(status));
    ASSERT_TRUE(e2e::waitUntilGone(server.display, shown));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), kNoAtlas + row.out);
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), row.err);
    EXPECT_EQ(listing(), row.files);
  }
  umask(mask);
}

}  // namespace
