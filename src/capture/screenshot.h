// The screenshot sequence: the back buffer as uncompressed 24-bit TGA files
// "screenshots/frame000.tga" to "screenshots/frame999.tga".
#pragma once

#include <cstddef>

constexpr int kMaxScreenshots = 1000;  // frame000 .. frame999 per run
constexpr int kTgaHeaderSize = 18;

// Writes the file name for counter 0..999 into name (at least 25 bytes); returns false,
// writing nothing, for any other counter.
bool screenshotName(int counter, char* name, std::size_t capacity);

// The 18-byte header of a true-colour image of the given size: no ID, no colour map, bottom
// row first, 24 bits per pixel, width and height little-endian.
void tgaHeader(int width, int height, unsigned char header[kTgaHeaderSize]);

// Reads the whole window from the back buffer and writes it as the next file of the
// sequence. Returns 0 when a file was written; 1 when nothing was: the limit is reached, the
// buffer can't be allocated, the file can't be created, or a write or the close fails (the
// partial file is then removed and frameCounter keeps its value, so the next frame tries the
// same number). A failure other than the limit is told as "NAME: reason" on stderr, once
// while frameFailureTold is unset, which it then sets. Leaves the pack alignment as it found it.
int saveScreenshot();

// Makes a write past a file-size limit (RLIMIT_FSIZE) fail with EFBIG, which saveScreenshot
// handles, instead of raising SIGXFSZ, whose default action ends the process mid-write and
// leaves the truncated frame behind. Called once at start-up, before any frame is written.
void ignoreFileSizeSignal();
