// The program as users start it: its command line answered with and without a display, the
// default environment found beside the build tree's binary and beside an installed and then
// moved copy, and scripts/run.sh working where its caller is.
#include <gtest/gtest.h>

#include <lodepng.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/x_session.h"

namespace {

const std::string kUsage =
    "usage: patchlume [GLUT options] [--] [NET]\n"
    "Try 'patchlume --help' for more information.\n";
const std::string kDefaultAtlas = "width: 1024 height: 768\n";

class InstallE2eTest : public e2e::AppSessionTest {
 protected:
  // Runs the binary to its end; its exit status, -1 when it did not exit normally.
  int runToEnd(const std::string& binary, const std::vector<std::string>& args,
               const std::string& displayName) {
    e2e::LaunchOptions options;
    options.args = args;
    pid_t pid = e2e::launchProcess(binary, workDir, displayName, options);
    int status = 0;
    if (!e2e::waitForExit(pid, e2e::scaledMs(10000), status)) {
      e2e::killProcess(pid);
      return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Starts the binary in the empty working directory and checks that its camera view at
  // start-up is the one record_docs recorded in the default environment.
  void expectDefaultEnvironment(const std::string& binary) {
    SCOPED_TRACE(binary);
    ASSERT_TRUE(createFrameDir());
    ASSERT_TRUE(launch(binary));
    e2e::TgaImage frame;
    ASSERT_TRUE(keyRecords(XK_s, 0, frame));
    std::vector<unsigned char> mirror;
    unsigned width = 0, height = 0;
    ASSERT_EQ(lodepng::decode(mirror, width, height, PATCHLUME_SOURCE_DIR "/docs/mirror.png",
                              LCT_RGB), 0u);
    // Sky, the yellow wall, the red wall and the floor; the plain-colour patch is one colour.
    for (const auto& at : {std::vector<int>{200, 90}, {200, 170}, {80, 160}, {200, 300}}) {
      const unsigned char* p = &mirror[3 * (at[1] * width + at[0])];
      EXPECT_TRUE(e2e::pixelNear(frame, 400 + at[0], at[1], {p[0], p[1], p[2]}, 6));
    }
    int status = 0;
    ASSERT_TRUE(quit(status));
    EXPECT_EQ(e2e::readTextFile(path("stdout.txt")), kDefaultAtlas);
    e2e::removeTree(frameDir());
  }
};

TEST_F(InstallE2eTest, CommandLineOutputsAndExitStatuses) {
  const struct {
    std::vector<std::string> args;
    bool display;
    const char* net;  // a malformed net of this name in the working directory
    int status;
    std::string out;  // for --help: how stdout begins
    std::string err;
  } cases[] = {
      {{"--help"}, false, nullptr, 0, "usage: patchlume [GLUT options] [--] [NET]\n", ""},
      {{"--version"}, false, nullptr, 0, "patchlume " PATCHLUME_VERSION "\n", ""},
      {{"-geometry", "10x10", "--version"}, false, nullptr, 0, "patchlume " PATCHLUME_VERSION "\n", ""},
      {{"-h"}, true, nullptr, 2, "", kUsage},
      {{"--bogus"}, true, nullptr, 2, "", kUsage},
      {{"--", "-x.net"}, true, "-x.net", 1, "", "-x.net:1: expected 3 numbers, found 2\n"},
      {{"--", "--help"}, true, "--help", 1, "", "--help:1: expected 3 numbers, found 2\n"},
  };
  std::string help;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    if (c.net != nullptr) {
      std::FILE* file = std::fopen(path(c.net).c_str(), "wb");
      ASSERT_NE(file, nullptr);
      std::fputs("1 2\n", file);
      std::fclose(file);
    }
    EXPECT_EQ(runToEnd(PATCHLUME_BINARY, c.args, c.display ? server.name() : ""), c.status);
    const std::string out = e2e::readTextFile(path("stdout.txt"));
    if (c.args[0] == "--help") help = out;
    EXPECT_EQ(c.args[0] == "--help" ? out.substr(0, c.out.size()) : out, c.out);
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")), c.err);
  }
  // The help names every key, the mouse and the files.
  for (const char* word : {"a A", "s S", "w W", "o O", "u U Ctrl+Z", "r R Ctrl+Y", "Escape",
                           "middle button", "cubemap.png", "NET.obj", "screenshots/"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST_F(InstallE2eTest, BuildTreeAndMovedInstallShowTheDefaultEnvironment) {
  expectDefaultEnvironment(PATCHLUME_BINARY);
  const std::string root = e2e::makeTempDir();
  ASSERT_EQ(e2e::runCommand({PATCHLUME_CMAKE, "--install", PATCHLUME_BUILD_DIR, "--prefix",
                             root + "/installed"}), 0);
  ASSERT_EQ(std::rename((root + "/installed").c_str(), (root + "/moved").c_str()), 0);
  expectDefaultEnvironment(root + "/moved/bin/patchlume");
  e2e::removeTree(root);
}

TEST_F(InstallE2eTest, RunScriptOpensAndSavesTheNetWhereItIsCalled) {
  std::string points;
  for (int p = 0; p < 16; ++p) points += std::to_string(p * 10) + " -5.25 100\n";
  std::FILE* file = std::fopen(path("mine.net").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs(points.c_str(), file);
  std::fclose(file);
  setenv("PATCHLUME_BUILD_DIR", PATCHLUME_BUILD_DIR, 1);
  e2e::LaunchOptions options;
  options.args = {"mine.net"};
  const ::testing::AssertionResult launched =
      launch(PATCHLUME_SOURCE_DIR "/scripts/run.sh", options);
  unsetenv("PATCHLUME_BUILD_DIR");
  ASSERT_TRUE(launched);
  key(XK_w);
  // The saved net holds the points read: it was ./mine.net that was opened.
  const std::string saved =
      "# Patchlume control net: 16 points x y z, row 0 columns 0 to 3 first\n" + points;
  EXPECT_TRUE(e2e::waitForFileContents(path("mine.net"), saved))
      << e2e::readTextFile(path("mine.net"));
  EXPECT_TRUE(e2e::waitForFileContents(path("stdout.txt"), kDefaultAtlas + "saved mine.net\n"));
}

}  // namespace
