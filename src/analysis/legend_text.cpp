// Legend texts. Ranges print with %.3g, which keeps three significant digits at any scale.
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
  std::snprintf(text.low, sizeof text.low, "%.3g", range > 0.0 ? -range : 0.0);
  std::snprintf(text.high, sizeof text.high, "%.3g", range);
  return text;
}
