// The recordings people share, around the display pass: the session video of v (the window
// at a steady 30 frames a second in real time), the turntable of t (one turn of the camera
// about its look-at point) and the PNG snapshot of p, and the same from the command line.
// Pictures are read from the back buffer before the swap, then handed to the video writer.
#pragma once

// v: starts recording the window into the first free "patchlume000.mp4" .. "patchlume999.mp4"
// of the working directory, at the window's size rounded down to even numbers; or, while
// one records, finishes it. A failure is told in one line on stderr and records nothing.
void toggleSessionVideo();

// Finishes the session video, if one records, with the frames due up to now, and says
// "recorded FILE" on stdout; Escape and closing the window call it.
void finishSessionVideo();

// Starts a turn of the camera about its look-at point, around the world's +Y axis, in
// `frames` frames at fps into path (nullptr: the first free "turntable000.mp4" ..
// "turntable999.mp4"): poses the first frame and posts a redisplay. Each display pass then
// draws, shows and encodes the next frame and posts the one after; after the last the file
// is finished, the camera put back bit for bit and "recorded FILE" said on stdout (with
// --turntable the process then exits, 0 written, 1 failed). False after one line on stderr
// when it cannot start (a turn already runs, no free name, the writer refuses).
bool startTurntable(const char* path, int frames, int fps);

// A key or a press during a turn: cancels it, removing its temporary and putting the camera
// back, says so on stderr and returns true; returns false when no turn runs.
bool cancelTurntable();

// p: the next display pass writes the window into the first free "patchlume000.png" ..
// "patchlume999.png".
void requestSnapshot();

// The display pass's last step before the swap: starts what --snapshot or --turntable asks
// at the first pass, writes a wanted snapshot, adds the frame of a turn and poses the next, and keeps the
// picture of a session video after emitting the frames due before it was drawn. Reads the
// back buffer; leaves the pack alignment as it found it.
void captureDrawnFrame();

// Closing the window: the session video is finished and a turn cancelled; with --turntable
// or --snapshot not yet begun the process then exits with status 1.
void closeRecordings();
