// The command line, read before GLUT starts, which needs a display; no GL.
#pragma once

#include "app/state.h"

// Before glutInit, which needs a display: --help before any "--" prints the usage and help
// (keys, mouse, files) on stdout, --version "patchlume VERSION"; returns 0, the exit status,
// then, and -1 when neither was asked for.
int answerHelpOrVersion(int argc, char** argv);

// The whole command line, before glutInit, which needs a display: GLUT's own options
// (-display and -geometry with their values, -iconic, -direct, -indirect, -gldebug, -sync)
// are left for it, the recording options --turntable FILE, --frames N, --fps F and
// --snapshot FILE are taken, and at most one net file may follow, "--" ending the options so
// that the next word is the net whatever it begins with. Returns 0 after setting netPath (to
// that argument, or "patch.net"), objPath and the recording options' state. Two or more
// nets, an empty one, any other option before "--" or a GLUT option without its value print
// the usage on stderr and return 2; a recording option's value refused (missing, empty, not
// a number in range, given twice, --frames or --fps without --turntable, --snapshot with it)
// is told in one line "patchlume: OPTION VALUE: reason" on stderr and returns 1.
int takeNetArgument(int argc, char** argv);

// Reads netPath for the start: 1 grid filled, 0 no such file (start from the initial grid),
// -1 refused after printing "NET:LINE: what is wrong" on stderr ("NET: what is wrong" when the
// whole file is at fault).
int readStartNet(double grid[kGridSize][kGridSize][3]);
