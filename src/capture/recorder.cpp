// Session video, turntable and snapshot. Frames of the session video come from two places:
// the display pass emits those due before each new picture, a GLUT timer those due while
// nothing is drawn, so an idle stretch holds the picture and the video keeps real time.
// The turntable's frames are display passes, each posting the next with the next pose, so
// the window shows each and input can cancel the turn between two.
#include "capture/recorder.h"

#include <GL/freeglut.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/state.h"
#include "capture/frames.h"
#include "capture/screenshot.h"
#include "capture/video.h"
#include "files/kept_file.h"

namespace {

constexpr std::size_t kNameCapacity = 32;  // "patchlume000.mp4" and the like

long long steadyMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Bytes of a width by height RGB picture with the padding the video writer reads past it.
std::size_t pictureBytes(int width, int height) {
  return 3u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + kVideoPicturePadding;
}

// Reads the back buffer into a width by height picture, bottom row first, fitted to that
// size as fitPicture does. False when the window's picture finds no memory.
bool readPicture(unsigned char* picture, int width, int height) {
  const int w = windowWidth;
  const int h = windowHeight;
  if (w == width && h == height) {
    readWindowPixels(picture, false);
    return true;
  }
  unsigned char* window = static_cast<unsigned char*>(std::malloc(pictureBytes(w, h)));
  if (window == nullptr) return false;
  readWindowPixels(window, false);
  fitPicture(window, w, h, picture, width, height);
  std::free(window);
  return true;
}

unsigned char* allocatePicture(const VideoWriter& video) {
  return static_cast<unsigned char*>(std::malloc(pictureBytes(video.width, video.height)));
}

void tellRecorded(const VideoWriter& video) {
  std::printf("recorded %s\n", video.path);
  std::fflush(stdout);
}

void tellFailed(const VideoWriter& video) { std::fprintf(stderr, "%s\n", video.error); }

// Opens video at the window's size rounded down to even numbers, saying so when MPEG-4
// Part 2 stands in for H.264; false after the writer's one line.
bool openWindowVideo(VideoWriter& video, const char* path, int fps) {
  if (!openVideo(video, path, evenVideoSize(windowWidth), evenVideoSize(windowHeight), fps)) {
    tellFailed(video);
    return false;
  }
  if (video.fallback) std::fprintf(stderr, "%s: no H.264 encoder found, writing MPEG-4 Part 2\n", path);
  return true;
}

// The first free name of pattern, or false after saying that all are taken.
bool chooseName(const char* pattern, char* name) {
  if (firstFreeName(pattern, name, kNameCapacity)) return true;
  char first[kNameCapacity], last[kNameCapacity];
  std::snprintf(first, sizeof first, pattern, 0);
  std::snprintf(last, sizeof last, pattern, kMaxNumberedFiles - 1);
  std::fprintf(stderr, "%s to %s all exist: nothing written\n", first, last);
  return false;
}

// The session video is over (finished or failed): its picture goes, its timer dies.
void dropSession() {
  std::free(sessionPicture);
  sessionPicture = nullptr;
  ++sessionGeneration;
}

// Adds the frames due by `now` with the picture drawn last; false, the failure told and the
// session over, when the writer fails.
bool emitDueFrames(long long now) {
  const long long due = videoFramesDue(now - sessionStartUs, kVideoFps);
  while (sessionVideo.frames < due) {
    if (!addVideoFrame(sessionVideo, sessionPicture, kBottomRowFirst)) {
      tellFailed(sessionVideo);
      dropSession();
      return false;
    }
  }
  return true;
}

void sessionTick(int generation);

// Wakes the timer when the next frame falls due, a millisecond on at least.
void armSessionTimer(long long now) {
  const long long wait = videoFrameTimeUs(sessionVideo.frames, kVideoFps) - (now - sessionStartUs);
  const unsigned int ms = wait <= 1000 ? 1u : static_cast<unsigned int>((wait + 999) / 1000);
  glutTimerFunc(ms, sessionTick, sessionGeneration);
}

// GLUT timers cannot be cancelled: one of an earlier session finds the generation changed.
void sessionTick(int generation) {
  if (generation != sessionGeneration || sessionPicture == nullptr) return;
  const long long now = steadyMicroseconds();
  if (emitDueFrames(now)) armSessionTimer(now);
}

// Frames due before this pass get the picture before it; those due since v, before the
// first picture, get that one.
void captureSessionPicture() {
  const long long now = steadyMicroseconds();
  const bool first = sessionVideo.frames == 0;
  if (!first && !emitDueFrames(now)) return;
  if (!readPicture(sessionPicture, sessionVideo.width, sessionVideo.height)) {
    std::fprintf(stderr, "%s: %s\n", sessionVideo.path, std::strerror(ENOMEM));
    abortVideo(sessionVideo);
    dropSession();
    return;
  }
  if (first && emitDueFrames(now)) armSessionTimer(now);
}

// Reads and encodes the window as the next frame of the turn; a failure closes the video.
void captureTurntableFrame() {
  unsigned char* picture = allocatePicture(turntableVideo);
  if (picture == nullptr || !readPicture(picture, turntableVideo.width, turntableVideo.height)) {
    abortVideo(turntableVideo);
    std::snprintf(turntableVideo.error, sizeof turntableVideo.error, "%s: %s",
                  turntableVideo.path, std::strerror(ENOMEM));
  } else {
    addVideoFrame(turntableVideo, picture, kBottomRowFirst);
  }
  std::free(picture);
}

// Writes the whole window as a PNG through the atomic replace; whether it was written.
bool writeSnapshot(const char* path) {
  const int w = windowWidth;
  const int h = windowHeight;
  unsigned char* picture = static_cast<unsigned char*>(std::malloc(pictureBytes(w, h)));
  unsigned char* png = nullptr;
  std::size_t size = 0;
  const bool encoded = picture != nullptr && readPicture(picture, w, h) && encodePng(picture, w, h, &png, &size);
  std::free(picture);
  if (!encoded) {
    std::fprintf(stderr, "%s: the picture could not be encoded\n", path);
    return false;
  }
  const bool written = writeKeptFile(path, reinterpret_cast<const char*>(png), size, "saved");
  std::free(png);
  return written;
}

// The camera of frame `frame` of the turn, from the pose before it.
void poseTurntable(int frame) {
  turntablePose(turntableEye, turntableCenter, turntableUp, frame, turntableFrameCount, cameraEye,
                cameraUp);
  std::memcpy(cameraCenter, turntableCenter, sizeof cameraCenter);
}

// The turn is over: the camera as it was, bit for bit, and the window drawn with it.
void endTurn() {
  std::memcpy(cameraEye, turntableEye, sizeof cameraEye);
  std::memcpy(cameraCenter, turntableCenter, sizeof cameraCenter);
  std::memcpy(cameraUp, turntableUp, sizeof cameraUp);
  turntableFrame = -1;
  glutPostRedisplay();
}

// After the pass that drew frame turntableFrame: encodes it, then poses the next one and asks
// for its pass, or, after the last, finishes the file (with --turntable the process exits,
// 0 written, 1 failed).
void advanceTurntable() {
  captureTurntableFrame();
  bool ok = videoIsOpen(turntableVideo);
  if (ok && ++turntableFrame < turntableFrameCount) {
    poseTurntable(turntableFrame);
    glutPostRedisplay();
    return;
  }
  ok = ok && finishVideo(turntableVideo);
  endTurn();
  if (ok) {
    tellRecorded(turntableVideo);
  } else {
    tellFailed(turntableVideo);
  }
  if (turntableArgument != nullptr) std::exit(ok ? 0 : 1);
}

}  // namespace

void toggleSessionVideo() {
  if (videoIsOpen(sessionVideo)) {
    finishSessionVideo();
    return;
  }
  // The video lasts from the key on, however long the encoder takes to start.
  const long long start = steadyMicroseconds();
  char name[kNameCapacity];
  if (!chooseName("patchlume%03d.mp4", name) || !openWindowVideo(sessionVideo, name, kVideoFps)) return;
  sessionPicture = allocatePicture(sessionVideo);
  if (sessionPicture == nullptr) {
    abortVideo(sessionVideo);
    std::fprintf(stderr, "%s: %s\n", name, std::strerror(ENOMEM));
    return;
  }
  sessionStartUs = start;
  ++sessionGeneration;
}

void finishSessionVideo() {
  if (!videoIsOpen(sessionVideo)) return;
  if (sessionVideo.frames == 0) {
    // Stopped before a single pass drew: there is no picture to show.
    abortVideo(sessionVideo);
    std::fprintf(stderr, "%s: no frame was drawn, nothing recorded\n", sessionVideo.path);
  } else if (emitDueFrames(steadyMicroseconds())) {
    if (finishVideo(sessionVideo)) {
      tellRecorded(sessionVideo);
    } else {
      tellFailed(sessionVideo);
    }
  }
  dropSession();
}

bool startTurntable(const char* path, int frames, int fps) {
  if (turntableFrame >= 0) return false;
  char name[kNameCapacity];
  if (path == nullptr) {
    if (!chooseName("turntable%03d.mp4", name)) return false;
    path = name;
  }
  if (!openWindowVideo(turntableVideo, path, fps)) return false;
  std::memcpy(turntableEye, cameraEye, sizeof turntableEye);
  std::memcpy(turntableCenter, cameraCenter, sizeof turntableCenter);
  std::memcpy(turntableUp, cameraUp, sizeof turntableUp);
  turntableFrameCount = frames;
  turntableFrame = 0;
  poseTurntable(0);
  glutPostRedisplay();
  return true;
}

bool cancelTurntable() {
  if (turntableFrame < 0) return false;
  abortVideo(turntableVideo);
  std::fprintf(stderr, "%s: turntable cancelled, nothing written\n", turntableVideo.path);
  endTurn();
  if (turntableArgument != nullptr) std::exit(1);
  return true;
}

void requestSnapshot() { snapshotWanted = true; }

void captureDrawnFrame() {
  if (!commandLineWritten && (snapshotArgument != nullptr || turntableArgument != nullptr)) {
    commandLineWritten = true;
    if (snapshotArgument != nullptr) std::exit(writeSnapshot(snapshotArgument) ? 0 : 1);
    if (!startTurntable(turntableArgument, turntableFramesArgument, turntableFpsArgument)) std::exit(1);
    return;  // the turn's first frame is the next pass, drawn at its pose
  }
  if (snapshotWanted) {
    snapshotWanted = false;
    char name[kNameCapacity];
    if (chooseName("patchlume%03d.png", name)) writeSnapshot(name);
  }
  if (turntableFrame >= 0) advanceTurntable();
  if (sessionPicture != nullptr) captureSessionPicture();
}

void closeRecordings() {
  finishSessionVideo();
  cancelTurntable();
  // Also called as GLUT tears the window down at exit, when the work is long done.
  if (!commandLineWritten && (turntableArgument != nullptr || snapshotArgument != nullptr)) std::exit(1);
}
