// File names and TGA headers of the screenshot sequence, without a window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "capture/screenshot.h"

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
  // Every byte but 12..15 is the same for every size.
  auto expectFixedBytes = [](const unsigned char* h, const char* label) {
    const unsigned char fixedHead[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(h, fixedHead, sizeof fixedHead), 0) << label;
    EXPECT_EQ(h[16], 24) << label;
    EXPECT_EQ(h[17], 0) << label;
  };

  // initial window: 800 = 0x0320
  {
    unsigned char h[kTgaHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    tgaHeader(800, 800, h);
    expectFixedBytes(h, "800x800");
    const unsigned char size[4] = {0x20, 0x03, 0x20, 0x03};
    EXPECT_EQ(std::memcmp(h + 12, size, 4), 0);
  }

  // odd size: 801 = 0x0321, 601 = 0x0259, width and height not swapped
  {
    unsigned char h[kTgaHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    tgaHeader(801, 601, h);
    expectFixedBytes(h, "801x601");
    const unsigned char size[4] = {0x21, 0x03, 0x59, 0x02};
    EXPECT_EQ(std::memcmp(h + 12, size, 4), 0);
  }

  // both bytes of the width non-zero and different: 0x1234 wide, 0x00FF high
  {
    unsigned char h[kTgaHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    tgaHeader(0x1234, 0xFF, h);
    expectFixedBytes(h, "4660x255");
    const unsigned char size[4] = {0x34, 0x12, 0xFF, 0x00};
    EXPECT_EQ(std::memcmp(h + 12, size, 4), 0);
  }

  // a multiple of 256 has a zero low byte
  {
    unsigned char h[kTgaHeaderSize];
    tgaHeader(1280, 1024, h);
    const unsigned char size[4] = {0x00, 0x05, 0x00, 0x04};
    EXPECT_EQ(std::memcmp(h + 12, size, 4), 0);
  }

  // empty window
  {
    unsigned char h[kTgaHeaderSize];
    std::memset(h, 0xEE, sizeof h);
    tgaHeader(0, 0, h);
    expectFixedBytes(h, "0x0");
    const unsigned char size[4] = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(h + 12, size, 4), 0);
  }
}
