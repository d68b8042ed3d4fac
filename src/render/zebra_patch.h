// The zebra picture on the GL: the zebra atlas as a texture of its own, shown through the
// mirror's own drawing.
#pragma once

// The mirror's drawing (drawMirrorPatchOver) over the zebra atlas of zebraBands and
// zebraAxis, uploaded first when the zebra texture holds other settings or none. Binds the
// zebra texture (GL_DECAL) for the call only: leaves the texture bound before, the
// environment mode and everything drawMirrorPatch leaves as they were. Where the zebra atlas
// cannot be allocated it keeps the one it had (or draws untextured when there is none).
void drawZebraPatch();
