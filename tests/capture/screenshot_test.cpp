// File names and TGA headers of the screenshot sequence, without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "capture/frame_file.h"

namespace {

std::string nameFor(int counter, bool& made) {
  char name[64];
  std::memset(name, '#', sizeof name);
  name[sizeof name - 1] = '\0';
  made = screenshotName(counter, name, sizeof name);
  return name;
}

}  // namespace

TEST(ScreenshotName, ThreeDigitsWithLeadingZerosUpTo999) {
  struct Case {
    int counter;
    const char* expected;
  };
  const Case cases[] = {
      {0, "screenshots/frame000.tga"},  {9, "screenshots/frame009.tga"},
      {10, "screenshots/frame010.tga"}, {99, "screenshots/frame099.tga"},
      {100, "screenshots/frame100.tga"}, {999, "screenshots/frame999.tga"},
  };
  for (const Case& c : cases) {
    bool made = false;
    EXPECT_EQ(nameFor(c.counter, made), c.expected) << "counter " << c.counter;
    EXPECT_TRUE(made) << "counter " << c.counter;
  }
}

TEST(ScreenshotName, NoNameOutsideTheSequenceOrForASmallBuffer) {
  // past the last file: nothing written into the buffer
  for (int counter : {1000, 1001, -1}) {
    bool made = true;
    const std::string name = nameFor(counter, made);
    EXPECT_FALSE(made) << "counter " << counter;
    EXPECT_EQ(name, std::string(63, '#')) << "counter " << counter;
  }

  // exactly room for the 24 characters and the terminator
  char exact[25];
  EXPECT_TRUE(screenshotName(5, exact, sizeof exact));
  EXPECT_STREQ(exact, "screenshots/frame005.tga");

  // one byte short: refused rather than cut off silently
  char shortBuffer[24];
  EXPECT_FALSE(screenshotName(5, shortBuffer, sizeof shortBuffer));
}

TEST(TgaHeader, TrueColourBottomUpLittleEndianSize) {
  struct Case {
    const char* label;
    int width, height;
    unsigned char size[4];  // bytes 12..15: width then height, low byte first
  };
  const Case cases[] = {
      // initial window: 800 = 0x0320
      {"800x800", 800, 800, {0x20, 0x03, 0x20, 0x03}},
      // odd size: 801 = 0x0321, 601 = 0x0259, width and height not swapped
      {"801x601", 801, 601, {0x21, 0x03, 0x59, 0x02}},
      // both bytes of the width non-zero and different: 0x1234 wide, 0x00FF high
      {"4660x255", 0x1234, 0xFF, {0x34, 0x12, 0xFF, 0x00}},
      // a multiple of 256 has a zero low byte
      {"1280x1024", 1280, 1024, {0x00, 0x05, 0x00, 0x04}},
      // empty window
      {"0x0", 0, 0, {0, 0, 0, 0}},
  };
  // Every byte but 12..15 is the same for every size; each one is written over the filler.
  const unsigned char fixedHead[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const Case& c : cases) {
    unsigned char h[kTgaHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    tgaHeader(c.width, c.height, h);
    EXPECT_EQ(std::memcmp(h, fixedHead, sizeof fixedHead), 0) << c.label;
    EXPECT_EQ(std::memcmp(h + 12, c.size, 4), 0) << c.label;
    EXPECT_EQ(h[16], 24) << c.label;
    EXPECT_EQ(h[17], 0) << c.label;
  }
}
