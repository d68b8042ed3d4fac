// The screenshot sequence: the back buffer read into memory and written as the next TGA file
// of "screenshots/frame000.tga" to "screenshots/frame999.tga" (frame_file.h).
#pragma once

// Reads the whole window from the back buffer and writes it as the next file of the
// sequence. Returns 0 when a file was written; 1 when nothing was: the limit is reached, the
// buffer can't be allocated, or writeFrameFile failed (which tells why once). Leaves the pack
// alignment as it found it.
int saveScreenshot();

// Reads the whole window, windowWidth by windowHeight, from the back buffer into pixels: 3
// bytes a pixel (B, G, R when blueFirst, else R, G, B), rows packed without gaps, the
// bottom row first. Leaves the pack alignment as it found it.
void readWindowPixels(unsigned char* pixels, bool blueFirst);
