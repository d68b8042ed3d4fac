// The screenshot sequence's files: uncompressed 24-bit TGA files "screenshots/frame000.tga"
// to "screenshots/frame999.tga", written from pixels in memory. No GL: the read-back is the
// viewer's (screenshot.h).
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

// Says "NAME: strerror(error)" on stderr, once while frameFailureTold is unset, which it then
// sets: a frame a redraw, every redraw failing alike, would bury the terminal. Returns 1.
int tellFrameFailure(const char* name, int error);

// Writes width by height pixels (B, G, R each, bottom row first, rows without padding) as
// the next file of the sequence, frameCounter's, and counts it. Returns 0 when the file was
// written; 1 when it can't be created, or a write or the close fails: the partial file is
// then removed and frameCounter keeps its value, so that the next frame tries the same
// number, and the failure is told by tellFrameFailure. frameCounter must be below the limit.
int writeFrameFile(const unsigned char* pixels, int width, int height);

// Makes a write past a file-size limit (RLIMIT_FSIZE) fail with EFBIG, which the writers
// handle, instead of raising SIGXFSZ, whose default action ends the process mid-write and
// leaves the truncated file behind. Called once at start-up, before any file is written.
void ignoreFileSizeSignal();
