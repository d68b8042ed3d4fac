// The net file text in memory: what formatNet writes reads back bit for bit, points fill the
// rows in order, and every malformed text is refused with its line and reason, grid untouched.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "files/net_file.h"
#include "support/files.h"

namespace {

using support::pointLines;
using Grid = double[kGridSize][kGridSize][3];

// No two coordinates alike, so a transposition shows; thirds, a negative zero, the smallest
// subnormal and both magnitude limits, which must all survive the text.
void oddGrid(Grid grid) {
  for (int i = 0; i < kGridSize; ++i)
    for (int j = 0; j < kGridSize; ++j)
      for (int c = 0; c < 3; ++c) grid[i][j][c] = (c == 1 ? -1 : 1) * (i * 16 + j * 4 + c + 1) / 3.0;
  grid[0][1][2] = -0.0;
  grid[1][2][0] = 4.9e-324;
  grid[2][3][1] = 1e9;
  grid[3][0][2] = -1e9;
  grid[3][3][0] = 0.1;
}

std::string format(const Grid grid) {
  char text[kNetTextCapacity];
  return std::string(text, formatNet(grid, text, sizeof text));
}

}  // namespace

TEST(NetFile, FormatReadsBackBitForBitAndFormatsAgainTheSame) {
  Grid grid, back;
  oddGrid(grid);
  const std::string text = format(grid);
  ASSERT_EQ(text.substr(0, 2), "# ");
  NetError error = {};
  ASSERT_TRUE(parseNet(text.data(), text.size(), back, &error)) << error.line << ": " << error.what;
  EXPECT_EQ(std::memcmp(grid, back, sizeof grid), 0);
  EXPECT_EQ(format(back), text);

  // the NUL needs its byte too
  char buffer[kNetTextCapacity];
  EXPECT_EQ(formatNet(grid, buffer, text.size()), 0u);
  EXPECT_EQ(formatNet(grid, buffer, text.size() + 1), text.size());
}

TEST(NetFile, PointsFillRowsInOrderPastCommentsBlankLinesAndCrlf) {
  std::string text = "# made by hand\n\n   \t\n  # indented comment\n# " + std::string(1022, 'x') + "\n";
  for (int p = 0; p < 16; ++p) text += "\t" + std::to_string(p) + "  +.5e1 -2.\r\n";
  text += "# after the last point\n\n1e-400 0 0";  // a 17th point, however good
  Grid grid;
  NetError error = {};
  EXPECT_FALSE(parseNet(text.data(), text.size(), grid, &error));
  EXPECT_EQ(error.line, 24);
  EXPECT_STREQ(error.what, "more than 16 points");
  text.resize(text.size() - 10);
  ASSERT_TRUE(parseNet(text.data(), text.size(), grid, &error)) << error.line << ": " << error.what;
  for (int p = 0; p < 16; ++p) {
    EXPECT_EQ(grid[p / 4][p % 4][0], p);
    EXPECT_EQ(grid[p / 4][p % 4][1], 5.0);
    EXPECT_EQ(grid[p / 4][p % 4][2], -2.0);
  }
}

TEST(NetFile, MalformedTextIsRefusedWithItsLineAndReason) {
  struct Case {
    const char* label;
    std::string text;
    int line;
    const char* what;
  };
  // A bad point line as the 4th of the file, between good ones.
  auto at4 = [](const std::string& bad) { return "# net\n" + pointLines(2) + bad + "\n" + pointLines(13); };
  const Case cases[] = {
      {"empty", "", 1, "expected 16 points, found 0"},
      {"too few", "# net\n" + pointLines(15), 17, "expected 16 points, found 15"},
      {"too few, no last newline", pointLines(15).substr(0, pointLines(15).size() - 1), 15,
       "expected 16 points, found 15"},
      {"too many", pointLines(17), 17, "more than 16 points"},
      {"two numbers", at4("1 2"), 4, "expected 3 numbers, found 2"},
      {"four numbers", at4("1 2 3 4"), 4, "expected 3 numbers, found 4"},
      {"words", at4("1 two 3"), 4, "expected a number, found \"two\""},
      {"trailing junk", at4("1 2 3 x"), 4, "unexpected \"x\" after 3 numbers"},
      {"glued junk", at4("1 2 3x"), 4, "expected a number, found \"3x\""},
      {"comma", at4("1,5 2 3"), 4, "expected a number, found \"1,5\""},
      {"hexadecimal", at4("0x10 2 3"), 4, "expected a number, found \"0x10\""},
      {"bare exponent", at4("1e 2 3"), 4, "expected a number, found \"1e\""},
      {"bare sign", at4("1 + 3"), 4, "expected a number, found \"+\""},
      {"long token", at4("1 2 1234567890123456789x"), 4,
       "expected a number, found \"1234567890123456...\""},
      {"not ASCII", at4("1 2 \xc3\xa9"), 4, "expected a number, found \"??\""},
      {"NaN", at4("nan 2 3"), 4, "\"nan\" is not a finite number"},
      {"infinity", at4("1 -Infinity 3"), 4, "\"-Infinity\" is not a finite number"},
      {"1e300", at4("1 2 1e300"), 4, "\"1e300\" is larger in magnitude than 1e9"},
      {"just over 1e9", at4("-1000000001 2 3"), 4, "\"-1000000001\" is larger in magnitude than 1e9"},
      {"overflow", at4("1e400 2 3"), 4, "\"1e400\" is larger in magnitude than 1e9"},
      {"NUL byte", at4(std::string("1 2\0 3", 6)), 4, "not a text file (byte 0x00)"},
      {"binary", at4("\x01\x02"), 4, "not a text file (byte 0x01)"},
      {"long line", at4(std::string(1025, ' ')), 4, "line longer than 1024 bytes"},
      {"too large", std::string(kNetMaxBytes + 1, '\n'), 65537, "larger than 65536 bytes"},
      {"lone CR line ends", "# net\r" + pointLines(2) + "1 2\r", 4, "expected 3 numbers, found 2"},
      {"a comment cuts the numbers", at4("1 2 # 3"), 4, "expected 3 numbers, found 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Grid grid;
    std::memset(grid, 0x7f, sizeof grid);
    Grid before;
    std::memcpy(before, grid, sizeof grid);
    NetError error = {};
    EXPECT_FALSE(parseNet(c.text.data(), c.text.size(), grid, &error));
    EXPECT_EQ(error.line, c.line);
    EXPECT_STREQ(error.what, c.what);
    EXPECT_EQ(std::memcmp(grid, before, sizeof grid), 0);
  }
}

// A hand-written net: a mark, comments before and between the points, a blank line and one
// of blanks, an indented point, points with a comment after them (one glued on), with blanks
// after them and with several between them, every line ended by `end` but one by another
// end and the last by none; the points "p 0.5 -2", or with a grid as a save writes them.
static std::string handWritten(const char* mark, const char* end, const Grid* grid = nullptr) {
  const char* other = std::string(end) == "\r\n" ? "\n" : "\r\n";
  std::string text = std::string(mark) + "# by hand" + end + end;
  for (int p = 0; p < 16; ++p) {
    char saved[80];
    const double* q = grid != nullptr ? (*grid)[p / 4][p % 4] : nullptr;
    if (q != nullptr) std::snprintf(saved, sizeof saved, "%.17g %.17g %.17g", q[0], q[1], q[2]);
    text += (p == 3 ? "\t" : "") + (q != nullptr ? saved : std::to_string(p) + (p == 9 ? " \t 0.5   -2" : " 0.5 -2")) +
            (p == 5 ? "  # the fifth" : p == 10 ? " \t" : p == 11 ? "#glued" : "") + (p == 13 ? other : p == 15 ? "" : end);
    if (p == 7) text += std::string("  # between") + end + " \t" + end;
  }
  return text;
}

TEST(NetFile, HandWrittenNetsReadAndSaveInTheirOwnLayout) {
  Grid odd;
  oddGrid(odd);
  char out[kNetMaxBytes + kNetTextCapacity];
  for (const char* mark : {"", "\xEF\xBB\xBF"}) {
    for (const char* end : {"\n", "\r\n", "\r"}) {
      SCOPED_TRACE(::testing::PrintToString(std::string(mark) + end));
      const std::string text = handWritten(mark, end);
      Grid grid;
      NetError error = {};
      ASSERT_TRUE(parseNet(text.data(), text.size(), grid, &error)) << error.line << ": " << error.what;
      for (int p = 0; p < 16; ++p) EXPECT_EQ(grid[p / 4][p % 4][0], p);
      const std::size_t length = formatNetLike(odd, text.data(), text.size(), out, sizeof out);
      EXPECT_EQ(std::string(out, length), handWritten(mark, end, &odd));
    }
  }
  // No layout that would not read back: a line the longer numbers push past the limit, no net.
  const std::string full = "0 0 0 #" + std::string(kNetMaxLineBytes - 7, 'x') + "\n" + pointLines(15);
  EXPECT_EQ(formatNetLike(odd, full.data(), full.size(), out, sizeof out), 0u);
  EXPECT_EQ(formatNetLike(odd, "# none\n", 7, out, sizeof out), 0u);
}

TEST(NetFile, ObjPathReplacesTheExtensionOfTheLastComponent) {
  const char* const cases[][2] = {
      {"patch.net", "patch.obj"},     {"dir/my.patch.net", "dir/my.patch.obj"},
      {"plain", "plain.obj"},         {"a.b/plain", "a.b/plain.obj"},
      {".net", ".net.obj"},           {"dir/.hidden", "dir/.hidden.obj"},
      {"x.obj", "x.obj.obj"},         {"/abs/p.txt", "/abs/p.obj"},
  };
  for (const auto& c : cases) {
    char obj[64];
    ASSERT_TRUE(objPathForNet(c[0], obj, sizeof obj)) << c[0];
    EXPECT_STREQ(obj, c[1]) << c[0];
  }
  // capacity: "patch.obj" and its NUL take 10 bytes
  char obj[10];
  EXPECT_TRUE(objPathForNet("patch.net", obj, 10));
  EXPECT_FALSE(objPathForNet("patch.net", obj, 9));
}
