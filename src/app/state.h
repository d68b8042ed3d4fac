// Every process-wide variable of the viewer, grouped by the module that writes it.
// All of it lives for the whole run; nothing here is allocated on the heap.
#pragma once

constexpr int kGridSize = 4;     // control points per row and per column
constexpr int kSamples = 129;    // samples per parametric direction, both ends included
constexpr int kViewCount = 4;    // 0 front, 1 top, 2 side, 3 camera
constexpr int kFrontView = 0;    // bottom-left, looking along -Z
constexpr int kTopView = 1;      // top-left, looking along -Y
constexpr int kSideView = 2;     // bottom-right, looking along -X
constexpr int kCameraView = 3;   // top-right, the mirror through the free camera
constexpr int kWorldUnitsPerPixel = 4;  // in every view: a 2W by 2H volume on W/2 by H/2 pixels
constexpr int kFaceCount = 6;    // cube faces: 0 -X, 1 +X, 2 -Y, 3 +Y, 4 -Z, 5 +Z
constexpr int kHistorySteps = 128;  // drags that can be undone; older ones are forgotten
constexpr int kPathCapacity = 4100;  // bytes of a file name: PATH_MAX and a ".obj" more

// Pictures of the camera view, in the order z cycles through them.
enum AnalysisMode { kMirrorMode, kZebraMode, kGaussianMode, kMeanMode };
constexpr int kModeCount = 4;

struct VideoWriter;  // capture/video.h: a video file being written

// Three floats of the camera arithmetic.
struct Vec3f {
  float x, y, z;
};

// 3 by 3 float matrix, row by row: m[row][column].
struct Mat3f {
  float m[3][3];
};

// One drag of a control point, as undo and redo replay it.
struct DragStep {
  int row, col;      // the point dragged, [row][column] of controlPoints
  double before[3];  // where the press found it, world units
  double after[3];   // where the release left it
};

// Fixed-size ring of the latest drags: steps[(oldest + n) % kHistorySteps] is the n-th.
struct DragHistory {
  DragStep steps[kHistorySteps];
  int oldest;   // ring index of the oldest step kept
  int count;    // steps kept, 0..kHistorySteps
  int applied;  // of those, how many are in effect; the count - applied after them can be redone
};

// Window (written by reshape)
extern int windowWidth;     // drawing area width in pixels, 800 at start
extern int windowHeight;    // drawing area height in pixels, 800 at start
extern double trackballRadius;  // pixels, half a quadrant's diagonal; 0 until the first reshape

// Keyboard flags (written by keyboard)
extern bool showAxes;   // draw the positive axes in every view
extern bool recording;  // save every drawn frame as a TGA file

// GLUT's numbers for the mouse, as activeButton and the pointer handlers take them; the
// shell, which hands GLUT the handlers, checks them against GLUT's header.
constexpr int kLeftButton = 0;    // GLUT_LEFT_BUTTON: orbit in the camera view
constexpr int kMiddleButton = 1;  // GLUT_MIDDLE_BUTTON: pan
constexpr int kRightButton = 2;   // GLUT_RIGHT_BUTTON: eye nearer or farther
constexpr int kButtonDown = 0;    // GLUT_DOWN: a press
constexpr int kButtonUp = 1;      // GLUT_UP: a release

// Pointer (written by mouse, motion and cameraDrag)
extern int activeButton;  // GLUT button of the last press, -1 after a release
extern int dragView;      // view owning the drag: -1 none, 0..3 a view (reset by initControlGrid)
extern int selectedRow;   // row of the picked control point, 0..3, meaningful while dragView is 0..2
extern int selectedCol;   // column of the picked control point, 0..3
extern int lastMouseX;    // pixels from the camera view's left edge at the last camera-view event
extern int lastMouseY;    // window y in pixels (downwards) at the last camera-view event

// Undo history (written by mouse when a point drag ends, and by the undo and redo keys)
extern DragHistory dragHistory;   // every step since start-up, the newest kHistorySteps
extern double dragStartPoint[3];  // the picked point at the press, meaningful while dragView is 0..2

// Kept files (set by takeNetArgument before GLUT starts)
extern const char* netPath;          // the net file: the command line's NET, or "patch.net"
extern char objPath[kPathCapacity];  // the OBJ export: netPath with its extension made ".obj"

// Unsaved work (set by main once the start net is applied, and by the w key when a save succeeds)
extern double savedControlPoints[kGridSize][kGridSize][3];  // the net as last read or saved

// Bezier model (written by basis and tessellation, and by dragging)
extern double controlPoints[kGridSize][kGridSize][3];  // [row i][column j][x, y, z], world units
extern int binomial[3];                                // 1, 3, 3 once initBinomials ran
extern double bernstein[kSamples][4];                  // [k][j]: weight of control index j at t = k/128
extern double columnCurves[kGridSize][kSamples][3];    // updateSurface scratch: [column j][k] curve along u
extern double surfacePoints[kSamples][kSamples][3];    // [k along rows][l along columns][x, y, z]
extern double surfaceNormals[kSamples][kSamples][3];   // unit normals, or the zero vector where none exists

// Mirror (written by drawMirrorPatch)
extern double texCoords[kSamples][kSamples][2];  // [k][l][s, t] into the cube-map atlas, 0..1
extern unsigned char texFaces[kSamples][kSamples];  // [k][l] face whose cell texCoords is in, 0..5

// Surface analysis (mode and zebra settings written by keyboard, the zebra atlas by
// drawZebraPatch, the curvature by refreshCurvature, the ranges by fitShownCurvatureRange)
extern int analysisMode;  // AnalysisMode the camera view shows, kMirrorMode at start
extern int zebraBands;    // light bands round the full circle, one of kBandCounts: 24 at start
extern int zebraAxis;     // axis the bands run round: 1 +Y (vertical bands, the start), 0 +X
extern unsigned zebraTexture;   // GL name of the zebra atlas, 0 until zebra mode first draws
extern int zebraTextureBands;   // zebraBands the zebra atlas holds, 0 while there is none
extern int zebraTextureAxis;    // zebraAxis the zebra atlas holds
extern double gaussianCurvature[kSamples][kSamples];  // [k][l] K, per square world unit; NaN: no normal
extern double meanCurvature[kSamples][kSamples];      // [k][l] H, per world unit; NaN: no normal
extern double curvatureGrid[kGridSize][kGridSize][3];  // controlPoints the two arrays were made from
extern bool curvatureComputed;  // the arrays hold the curvature of curvatureGrid; false at start
extern double gaussianRange;  // |K| shown as full red or blue: fitted on entering the mode and by =
extern double meanRange;      // |H| shown as full red or blue: fitted on entering the mode and by =

// Default environment (set by locateDefaultAtlas before the window opens)
extern char defaultAtlasPath[kPathCapacity];  // cubemap.png beside the executable; empty: none

// Atlas (written by loadCubemap)
extern unsigned cubemapTexture;  // GL texture name of the environment, bound while the mirror draws; 0: none
extern int atlasWidth;   // texels across the loaded atlas, 0 while none is loaded
extern int atlasHeight;  // texels down the loaded atlas, 0 while none is loaded

// Capture (written by saveScreenshot)
extern int frameCounter;  // files written this run, and the number of the next one, 0..1000
extern bool frameFailureTold;  // a failed frame was told since recording started (keyboard resets)

// Videos and snapshots (written by the recorder: the v, t and p keys, the display pass's
// capture, the video timer and the turntable's idle steps)
extern VideoWriter sessionVideo;        // the v video, open while it records
extern unsigned char* sessionPicture;   // picture drawn last, at sessionVideo's size, bottom row first; malloc'd, nullptr until the first
extern long long sessionStartUs;        // steady-clock microseconds of the v that started sessionVideo: its frame 0
extern int sessionGeneration;           // v videos started: a timer of an earlier one sees it changed
extern VideoWriter turntableVideo;      // the t video, open while the camera turns
extern int turntableFrame;              // next frame of the turn to draw, -1 while none turns
extern int turntableFrameCount;         // frames of the running turn: kTurntableFrames or --frames
extern float turntableEye[3];           // cameraEye before the turn, put back after it
extern float turntableCenter[3];        // cameraCenter before the turn, kept during it
extern float turntableUp[3];            // cameraUp before the turn, put back after it
extern bool snapshotWanted;             // p: the next display pass writes a PNG

// Recording from the command line (set by takeNetArgument before GLUT starts)
extern const char* turntableArgument;  // --turntable FILE, nullptr when not given
extern int turntableFramesArgument;    // --frames N, 1..kMaxTurntableFrames, kTurntableFrames when not given
extern int turntableFpsArgument;       // --fps F, 1..kMaxVideoFps, kVideoFps when not given
extern const char* snapshotArgument;   // --snapshot FILE, nullptr when not given
extern bool commandLineWritten;        // the first display pass has started what the options ask

// Camera of the camera view (set by initScene, moved by cameraDrag)
extern float cameraEye[3];     // eye position, world units
extern float cameraCenter[3];  // look-at point, world units
extern float cameraUp[3];      // up vector, rotated with the eye, never renormalised
