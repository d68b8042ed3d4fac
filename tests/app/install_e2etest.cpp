// The program as users start it: --help and --version without a display, the default
// environment beside an installed and then moved copy, and scripts/run.sh working where its
// caller is.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

#include "support/x_session.h"

namespace {

const std::string kDefaultAtlas = "width: 1024 height: 768\n";

class InstallE2eTest : public e2e::AppSessionTest {};

TEST_F(InstallE2eTest, HelpVersionAndUsageNeedNoDisplay) {
  // The arguments, the exit status, and how stdout and stderr begin.
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } cases[] = {{{"--help"}, 0, "usage: patchlume [GLUT options] [--] [NET]\nViews", ""},
               {{"--version"}, 0, "patchlume " PATCHLUME_VERSION "\n", ""},
               {{"-x"}, 2, "", "usage: patchlume [GLUT options] [--] [NET]\nTry"},
               {{"-display", ":0", "a.net", "b.net"}, 2, "", "usage:"}};
  for (const auto& c : cases) {
    int status = 0;
    const pid_t pid = e2e::launchProcess(PATCHLUME_BINARY, workDir, "", {/*fileSizeLimit=*/-1, c.args});
    ASSERT_TRUE(e2e::waitForExit(pid, e2e::scaledMs(10000), status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.args[0];
    // A prefix of each stream, of at least one byte, so that an empty one is empty;
    // --version's is the whole line.
    const std::string out = e2e::readTextFile(path("stdout.txt"));
    EXPECT_EQ(c.args[0] == "--version" ? out : out.substr(0, std::max<size_t>(c.out.size(), 1)), c.out);
    EXPECT_EQ(e2e::readTextFile(path("stderr.txt")).substr(0, std::max<size_t>(c.err.size(), 1)), c.err);
  }
}

TEST_F(InstallE2eTest, MovedInstallShowsTheDefaultEnvironment) {
  const std::string root = e2e::makeTempDir();
  ASSERT_EQ(e2e::runCommand({PATCHLUME_CMAKE, "--install", PATCHLUME_BUILD_DIR, "--prefix",
                             root + "/installed"}), 0);
  ASSERT_EQ(std::rename((root + "/installed").c_str(), (root + "/moved").c_str()), 0);
  ASSERT_TRUE(createFrameDir());
  ASSERT_TRUE(launch(root + "/moved/bin/patchlume"));
  e2e::TgaImage frame;
  ASSERT_TRUE(keyRecords(XK_s, 0, frame));
  // The sky and the yellow wall as docs/mirror.png shows them, not the one-colour patch.
  EXPECT_TRUE(e2e::pixelNear(frame, 600, 90, {54, 102, 203}, 6));
  EXPECT_TRUE(e2e::pixelNear(frame, 600, 170, {169, 128, 27}, 6));
  // A net it saves is the type its MIME package defines, once the desktop's database has
  // it; a netlist of another program with the same extension is not.
  key(XK_w);
  EXPECT_TRUE(e2e::waitForFileContents(path("stdout.txt"), kDefaultAtlas + "saved patch.net\n"));
  std::FILE* netlist = std::fopen(path("circuit.net").c_str(), "wb");
  ASSERT_TRUE(netlist != nullptr && std::fputs("(export (version D)\n  (nets))\n", netlist) >= 0 &&
              std::fclose(netlist) == 0);
  // The desktop's tools run as the desktop runs them, without a sanitizer's preloaded runtime.
  ASSERT_EQ(e2e::runCommand({"env", "-u", "LD_PRELOAD", "update-mime-database", root + "/moved/share/mime"}), 0);
  for (const char* file : {"patch.net", "circuit.net"}) {
    const std::string query = "unset LD_PRELOAD; XDG_DATA_DIRS='" + root + "/moved/share:/usr/share' gio info -a " +
                              "standard::content-type " + path(file) + " | grep content-type";
    ASSERT_EQ(e2e::runCommand({"sh", "-c", query + " >" + path("type.txt")}), 0);
    EXPECT_EQ(e2e::readTextFile(path("type.txt")),
              std::string("  standard::content-type: ") +
                  (file == std::string("patch.net") ? "application/x-patchlume-net\n" : "text/plain\n"));
  }
  e2e::removeTree(root);
}

TEST_F(InstallE2eTest, RunScriptOpensAndSavesTheNetWhereItIsCalled) {
  std::string points;
  for (int p = 0; p < 16; ++p) points += std::to_string(p * 10) + " -5.25 100\n";
  std::FILE* net = std::fopen(path("mine.net").c_str(), "wb");
  ASSERT_TRUE(net != nullptr && std::fputs(points.c_str(), net) >= 0 && std::fclose(net) == 0);
  setenv("PATCHLUME_BUILD_DIR", PATCHLUME_BUILD_DIR, 1);
  const ::testing::AssertionResult launched = launch(PATCHLUME_SOURCE_DIR "/scripts/run.sh", {-1, {"mine.net"}});
  unsetenv("PATCHLUME_BUILD_DIR");
  ASSERT_TRUE(launched);
  // Gone once read, so that the save can only be this one, made anew with the points read.
  ASSERT_EQ(std::remove(path("mine.net").c_str()), 0);
  key(XK_w);
  EXPECT_TRUE(e2e::waitForFileContents(path("stdout.txt"), kDefaultAtlas + "saved mine.net\n"));
  EXPECT_EQ(e2e::readTextFile(path("mine.net")),
            "# Patchlume control net: 16 points x y z, row 0 columns 0 to 3 first\n" + points);
}

}  // namespace
