// Gaussian and mean curvature of the patch at its 129 by 129 samples, from the exact partial
// derivatives of the control grid, and the diverging colour map that shows them. No GL.
#pragma once

#include "app/state.h"

// Curvature below these, made dimensionless by the size S of the control grid (the diagonal
// of its bounding box: |K| S^2, |H| S), is rounding noise and counts as 0, so that a plane
// in any position comes out exactly flat.
constexpr double kFlatCurvature = 1e-10;
// The share of samples whose |value| lies within a fitted range.
constexpr double kRangePercentile = 0.95;

// Fills gaussianCurvature and meanCurvature from controlPoints, with the unit normal
// n = (Sv x Su) / |Sv x Su|, the orientation of the mirror's normals: K = (LN - M^2) /
// (EG - F^2), H = (EN - 2FM + GL) / (2 (EG - F^2)). NaN where EG - F^2 is 0 or not finite or
// surfaceNormals holds the zero vector (updateSurface must have run). Allocates nothing.
void computeCurvature();

// computeCurvature unless the arrays already hold the curvature of controlPoints.
void refreshCurvature();

// The kRangePercentile quantile (nearest rank) of |value| over the samples that are not
// NaN; 0 when all are.
double fitCurvatureRange(const double values[kSamples][kSamples]);

// With analysisMode a curvature mode, refreshes the curvature and fits the range it shows
// (gaussianRange or meanRange); any other mode changes nothing.
void fitShownCurvatureRange();

// Colour of a value for a symmetric range: white at 0, towards red (1, 0, 0) for positive
// and blue (0, 0, 1) for negative values, linear in the value, full beyond the range (so
// any non-zero value when the range is 0); grey (0.5, 0.5, 0.5) for NaN.
void divergingColour(double value, double range, float rgb[3]);
