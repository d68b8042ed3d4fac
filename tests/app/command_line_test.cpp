// The command line before glutInit: GLUT's options left for it, at most one net file, which
// names the OBJ too, "--" ending the options; the recording options and their values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell.h"
#include "app/state.h"

TEST(CommandLine, OneArgumentNamesTheNetAndAnythingElseGetsTheUsage) {
  const std::string tooLong(kPathCapacity, 'n');
  const struct {
    std::vector<std::string> args;  // after the program's name
    const char* net;                // nullptr: refused
    const char* obj;
  } cases[] = {
      {{}, "patch.net", "patch.obj"},
      {{"dir/my.net"}, "dir/my.net", "dir/my.obj"},
      {{"net"}, "net", "net.obj"},
      {{"a.net", "b.net"}, nullptr, nullptr},
      {{"-x"}, nullptr, nullptr},
      {{"-"}, nullptr, nullptr},
      {{""}, nullptr, nullptr},
      {{tooLong}, nullptr, nullptr},
      {{"--", "-x.net"}, "-x.net", "-x.obj"},
      {{"--", "--"}, "--", "--.obj"},
      {{"a.net", "--"}, "a.net", "a.obj"},
      {{"--", "a.net", "b.net"}, nullptr, nullptr},
      {{"-display", ":9", "-sync", "a.net", "-geometry", "9x9"}, "a.net", "a.obj"},
      {{"-display", "-x.net"}, "patch.net", "patch.obj"},
      {{"-iconic", "-geometry"}, nullptr, nullptr},
      {{"--", "-sync"}, "-sync", "-sync.obj"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words = {"patchlume"};
    words.insert(words.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    netPath = "before.net";
    std::snprintf(objPath, sizeof objPath, "before.obj");
    ::testing::internal::CaptureStderr();
    const bool taken = takeNetArgument(static_cast<int>(words.size()), argv.data()) == 0;
    const std::string error = ::testing::internal::GetCapturedStderr();
    SCOPED_TRACE(words.size() > 1 ? words[1].substr(0, 20) : "no argument");
    EXPECT_EQ(taken, c.net != nullptr);
    EXPECT_EQ(error, taken ? ""
                           : "usage: patchlume [GLUT options] [--] [NET]\n"
                             "Try 'patchlume --help' for more information.\n");
    EXPECT_STREQ(netPath, taken ? c.net : "before.net");
    EXPECT_STREQ(objPath, taken ? c.obj : "before.obj");
  }
  netPath = "patch.net";
  std::snprintf(objPath, sizeof objPath, "patch.obj");
}

TEST(CommandLine, RecordingOptionsTakeTheirValuesAndARefusedOneIsToldInOneLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* error;  // after "patchlume: ", for status 1
    const char* turntable;
    int frames, fps;
    const char* snapshot;
    const char* net;
  } cases[] = {
      {{"--turntable", "t.mp4"}, 0, "", "t.mp4", 120, 30, nullptr, "patch.net"},
      {{"--fps", "24", "--turntable", "-t.mp4", "--frames", "12", "n.net"}, 0, "", "-t.mp4", 12, 24, nullptr, "n.net"},
      {{"--turntable", "t.mp4", "--frames", "100000", "--fps", "240"}, 0, "", "t.mp4", 100000, 240, nullptr, "patch.net"},
      {{"--snapshot", "s.png", "--", "--turntable"}, 0, "", nullptr, 120, 30, "s.png", "--turntable"},
      {{"--frames"}, 1, "--frames: missing value", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", "t.mp4", "--frames", "0"}, 1, "--frames 0: not a whole number from 1 to 100000", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", "t.mp4", "--frames", "+5"}, 1, "--frames +5: not a whole number from 1 to 100000", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", "t.mp4", "--fps", "abc"}, 1, "--fps abc: not a whole number from 1 to 240", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", "t.mp4", "--fps", "241"}, 1, "--fps 241: not a whole number from 1 to 240", nullptr, 0, 0, nullptr, nullptr},
      {{"--frames", "24"}, 1, "--frames 24: only with --turntable", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", ""}, 1, "--turntable '': empty file name", nullptr, 0, 0, nullptr, nullptr},
      {{"--turntable", "a.mp4", "--turntable", "b.mp4"}, 1, "--turntable b.mp4: given twice", nullptr, 0, 0, nullptr, nullptr},
      {{"--snapshot", "a.png", "--turntable", "b.mp4"}, 1, "--snapshot a.png: not with --turntable", nullptr, 0, 0, nullptr, nullptr},
      // A malformed command line is a usage error before any value is looked at.
      {{"--frames", "0", "-x"}, 2, "", nullptr, 0, 0, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words = {"patchlume"};
    words.insert(words.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    turntableArgument = snapshotArgument = "before";
    ::testing::internal::CaptureStderr();
    const int status = takeNetArgument(static_cast<int>(words.size()), argv.data());
    const std::string error = ::testing::internal::GetCapturedStderr();
    SCOPED_TRACE(words[1] + " " + (words.size() > 2 ? words[2] : ""));
    EXPECT_EQ(status, c.status);
    if (c.status == 1) {
      EXPECT_EQ(error, std::string("patchlume: ") + c.error + "\n");
    }
    if (c.status != 0) {
      EXPECT_STREQ(turntableArgument, "before");
      continue;
    }
    EXPECT_EQ(error, "");
    EXPECT_STREQ(turntableArgument, c.turntable);
    EXPECT_STREQ(snapshotArgument, c.snapshot);
    EXPECT_EQ(turntableFramesArgument, c.frames);
    EXPECT_EQ(turntableFpsArgument, c.fps);
    EXPECT_STREQ(netPath, c.net);
  }
  turntableArgument = snapshotArgument = nullptr;
  turntableFramesArgument = 120;
  turntableFpsArgument = 30;
  netPath = "patch.net";
  std::snprintf(objPath, sizeof objPath, "patch.obj");
}
