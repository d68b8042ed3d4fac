// Legend texts. Ranges print with %#.3g: three significant digits at any scale.
#include "analysis/legend_text.h"

#include <cstdio>

#include "app/state.h"

LegendText legendText(int mode, int bands, int axis, double range) {
  LegendText text = {};
  text.colourBar = mode == kGaussianMode || mode == kMeanMode;
  if (mode == kZebraMode) {
    std::snprintf(text.title, sizeof text.title, "Zebra: %d %s bands", bands,
                  axis == 1 ? "vertical" : "horizontal");
  } else if (mode == kGaussianMode) {
    std::snprintf(text.title, sizeof text.title, "Gaussian curvature, per square world unit");
  } else if (mode == kMeanMode) {
    std::snprintf(text.title, sizeof text.title, "Mean curvature, per world unit");
  }
  if (!text.colourBar) return text;
  // # keeps the trailing zeros of the three digits; a zero range is a plain 0.
  std::snprintf(text.low, sizeof text.low, range > 0.0 ? "%#.3g" : "0", -range);
  std::snprintf(text.high, sizeof text.high, range > 0.0 ? "%#.3g" : "0", range);
  return text;
}
