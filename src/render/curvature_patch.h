// The curvature picture on the GL: the patch in the colours of its curvature.
#pragma once

// The patch as 128 quad strips coloured per sample by divergingColour of gaussianCurvature
// (in kGaussianMode) or meanCurvature (otherwise) over their range, refreshed first from the
// control points. GL_TEXTURE_2D must be disabled, as display leaves it. Leaves the current
// colour that of sample (128, 128).
void drawCurvaturePatch();
