// Tessellation of the control grid into 129 by 129 positions and unit normals. No GL.
#pragma once

// Recomputes columnCurves, then surfacePoints, then surfaceNormals from controlPoints and
// bernstein. Normals face along dP/dv x dP/du; where no normal can be formed it is the zero
// vector (never NaN while coordinates stay below about 1e76, so that the squared lengths
// of the cross products stay finite). Allocates nothing.
void updateSurface();
