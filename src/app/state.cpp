// Definitions and initial values of the process-wide state declared in state.h.
#include "app/state.h"

#include "capture/frames.h"
#include "capture/video.h"

int windowWidth = 800;
int windowHeight = 800;
double trackballRadius = 0.0;

bool showAxes = false;
bool recording = false;

int activeButton = -1;
int dragView = -1;
int selectedRow = 0;
int selectedCol = 0;
int lastMouseX = 0;
int lastMouseY = 0;

DragHistory dragHistory;
double dragStartPoint[3];

const char* netPath = "patch.net";
char objPath[kPathCapacity] = "patch.obj";

double savedControlPoints[kGridSize][kGridSize][3];

double controlPoints[kGridSize][kGridSize][3];
int binomial[3];
double bernstein[kSamples][4];
double columnCurves[kGridSize][kSamples][3];
double surfacePoints[kSamples][kSamples][3];
double surfaceNormals[kSamples][kSamples][3];

double texCoords[kSamples][kSamples][2];
unsigned char texFaces[kSamples][kSamples];

int analysisMode = kMirrorMode;
int zebraBands = 24;
int zebraAxis = 1;
unsigned zebraTexture = 0;
int zebraTextureBands = 0;
int zebraTextureAxis = 0;
double gaussianCurvature[kSamples][kSamples];
double meanCurvature[kSamples][kSamples];
double curvatureGrid[kGridSize][kGridSize][3];
bool curvatureComputed = false;
double gaussianRange = 0.0;
double meanRange = 0.0;

char defaultAtlasPath[kPathCapacity] = "";

unsigned cubemapTexture = 0;
int atlasWidth = 0;
int atlasHeight = 0;

int frameCounter = 0;
bool frameFailureTold = false;

VideoWriter sessionVideo;
unsigned char* sessionPicture = nullptr;
long long sessionStartUs = 0;
int sessionGeneration = 0;
VideoWriter turntableVideo;
int turntableFrame = -1;
int turntableFrameCount = kTurntableFrames;
float turntableEye[3];
float turntableCenter[3];
float turntableUp[3];
bool snapshotWanted = false;

const char* turntableArgument = nullptr;
int turntableFramesArgument = kTurntableFrames;
int turntableFpsArgument = kVideoFps;
const char* snapshotArgument = nullptr;
bool commandLineWritten = false;

float cameraEye[3] = {0.0f, 0.0f, 1.0f};
float cameraCenter[3] = {0.0f, 0.0f, 0.0f};
float cameraUp[3] = {0.0f, 1.0f, 0.0f};
