// The words and numbers of the camera view's legend, by the mode shown. No GL.
#pragma once

constexpr int kLegendTextBytes = 64;  // a line of the legend, its terminating 0 included

// What the legend of a mode says: a title, and for the curvature modes the numbers at the
// colour bar's ends (-range and range with three significant digits; "0" at both ends when
// the range is 0), its middle being 0.
struct LegendText {
  char title[kLegendTextBytes];
  char low[kLegendTextBytes], high[kLegendTextBytes];
  bool colourBar;  // the curvature modes show the colour bar and its numbers
};

// The legend of `mode` (an AnalysisMode) with the zebra settings and the range of the
// curvature it shows; the mirror's title is empty (it has no legend).
LegendText legendText(int mode, int bands, int axis, double range);
