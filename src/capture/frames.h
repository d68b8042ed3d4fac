// What the recordings compute without GL: which video frames fall due, how a drawn picture
// fits a video's fixed size, the turntable's poses, the first free file name and the PNG
// bytes of a picture. Pictures are RGB, 3 bytes a pixel, rows packed without gaps.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kVideoFps = 30;          // frames a second of the v and t videos
constexpr int kTurntableFrames = 120;  // frames of one turn of t: 3 degrees each
constexpr int kMaxNumberedFiles = 1000;  // 000 .. 999 of a numbered name
constexpr int kMaxVideoFps = 240;      // the largest --fps
constexpr int kMaxTurntableFrames = 100000;  // the largest --frames: close to an hour at 30

// Frames of a video at fps frames a second whose time has come elapsedUs microseconds after
// its first: frame k is due at k / fps seconds, so 1 at once, fps + 1 after one second,
// none before the start (elapsedUs < 0).
std::int64_t videoFramesDue(std::int64_t elapsedUs, int fps);

// Microseconds from the start until frame `frame` is due, rounded up: the first elapsed time
// at which videoFramesDue counts it.
std::int64_t videoFrameTimeUs(std::int64_t frame, int fps);

// Even size of a video of a window: width and height each rounded down to an even number.
int evenVideoSize(int pixels);

// Copies the width by height picture `from` into the frameWidth by frameHeight picture `to`,
// both with their bottom row first, keeping the top-left corner in place: what does not fit
// is cropped at the right and bottom, what the picture lacks there is black.
void fitPicture(const unsigned char* from, int width, int height, unsigned char* to,
                int frameWidth, int frameHeight);

// Pose `frame` of a turn in `frames` equal steps: startEye and startUp turned about the
// world +Y axis through center by frame * 360 / frames degrees (right-handed), each pose
// computed from the start so that no error accumulates. Writes eye and up.
void turntablePose(const float startEye[3], const float center[3], const float startUp[3],
                   int frame, int frames, float eye[3], float up[3]);

// The first of the names pattern gives the numbers 0..999 (a printf pattern with one %03d)
// that lstat finds no file under, not even a dangling link, written into name. False when
// all 1000 are taken or the name does not fit capacity.
bool firstFreeName(const char* pattern, char* name, std::size_t capacity);

// The PNG (8-bit RGB, top row first as PNG has it) of a width by height picture whose
// bottom row comes first, in a buffer from malloc (*png, *size) that the caller frees.
// False, with nothing allocated, when encoding fails.
bool encodePng(const unsigned char* bottomFirst, int width, int height, unsigned char** png,
               std::size_t* size);
