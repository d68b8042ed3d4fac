// The command line before glutInit: GLUT's options left for it, at most one net file, which
// names the OBJ too, "--" ending the options; the recording options and their values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/state.h"

namespace {

// takeNetArgument on "patchlume" and words, its stderr captured into error. netPath then
// points into words, which the caller keeps while it reads it.
int takeArguments(std::vector<std::string>& words, std::string* error) {
  words.insert(words.begin(), "patchlume");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  ::testing::internal::CaptureStderr();
  const int result = takeNetArgument(static_cast<int>(words.size()), argv.data());
  *error = ::testing::internal::GetCapturedStderr();
  return result;
}

}  // namespace

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
    netPath = "before.net";
    std::snprintf(objPath, sizeof objPath, "before.obj");
    std::string error;
    std::vector<std::string> words = c.args;
    const bool taken = takeArguments(words, &error) == 0;
    SCOPED_TRACE(c.args.empty() ? "no argument" : c.args[0].substr(0, 20));
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
    const char* error;  // after "patchlume: "; nullptr: taken
  } cases[] = {
      {{"--fps", "24", "--turntable", "-t.mp4", "--frames", "12", "n.net"}, nullptr},
      {{"--snapshot", "s.png", "--", "--frames"}, nullptr},
      {{"--frames"}, "--frames: missing value"},
      {{"--turntable", "t.mp4", "--frames", "0"}, "--frames 0: not a whole number from 1 to 100000"},
      {{"--frames", "24"}, "--frames 24: only with --turntable"},
      {{"--turntable", "a.mp4", "--turntable", "b.mp4"}, "--turntable b.mp4: given twice"},
      {{"--snapshot", "a.png", "--turntable", "b.mp4"}, "--snapshot a.png: not with --turntable"},
  };
  for (const auto& c : cases) {
    std::string error;
    std::vector<std::string> words = c.args;
    EXPECT_EQ(takeArguments(words, &error), c.error ? 1 : 0) << c.args[0];
    EXPECT_EQ(error, c.error ? "patchlume: " + std::string(c.error) + "\n" : "");
  }
  // The last line taken: the snapshot's, with the turn's defaults.
  EXPECT_EQ(turntableArgument, nullptr);
  EXPECT_EQ(turntableFramesArgument, 120);
  EXPECT_EQ(turntableFpsArgument, 30);
  snapshotArgument = nullptr;
  netPath = "patch.net";
  std::snprintf(objPath, sizeof objPath, "patch.obj");
}
