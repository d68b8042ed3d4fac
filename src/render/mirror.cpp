// The mirror's GL drawing: the quads that keep to one face in quad strips, the others as the
// pieces the cutting gives, each row's strips before its pieces.
#include "render/mirror.h"

#include <GL/gl.h>

#include "app/state.h"
#include "render/reflection.h"
#include "render/seams.h"

void drawQuadStrip(int k, int lFirst, int lEnd) {
  if (lFirst == lEnd) return;
  glBegin(GL_QUAD_STRIP);
  for (int l = lFirst; l <= lEnd; ++l) {
    glTexCoord2dv(texCoords[k - 1][l]);
    glVertex3dv(surfacePoints[k - 1][l]);
    glTexCoord2dv(texCoords[k][l]);
    glVertex3dv(surfacePoints[k][l]);
  }
  glEnd();
}

namespace {

// Atlas coordinates and position of one piece vertex, as the batch of seam triangles sends it.
void sendPieceVertex(const SeamPiece& piece, int v, const double (*st)[2]) {
  glTexCoord2dv(st[v]);
  glVertex3dv(piece.vertices[v].position);
}

// One quad whose corners lie on different faces, each one-face piece as a fan of triangles
// from its first vertex, inside the caller's GL_TRIANGLES. A quad that cannot be cut (a corner
// without a finite reflection) is sent as its two triangles with the samples' coordinates.
// Sets no GL state.
void sendSeamQuad(int k, int l, const float d[3], double marginS, double marginT) {
  SeamPiece pieces[kMaxQuadPieces];
  const int count = splitQuadByFace(k, l, d, pieces);
  if (count == 0) {
    int triangles[2][3];
    quadTriangles(k, l, triangles);
    for (const int* tri : triangles)
      for (int c = 0; c < 3; ++c) {
        const int row = k - 1 + (tri[c] & 1), column = l + (tri[c] >> 1);
        glTexCoord2dv(texCoords[row][column]);
        glVertex3dv(surfacePoints[row][column]);
      }
    return;
  }
  for (int p = 0; p < count; ++p) {
    const SeamPiece& piece = pieces[p];
    double st[kMaxPieceVertices][2];
    pieceTexCoords(piece, marginS, marginT, st);
    for (int v = 1; v + 1 < piece.count; ++v) {
      sendPieceVertex(piece, 0, st);
      sendPieceVertex(piece, v, st);
      sendPieceVertex(piece, v + 1, st);
    }
  }
}

}  // namespace

void drawMirrorPatch() { drawMirrorPatchOver(atlasWidth, atlasHeight); }

void drawMirrorPatchOver(int width, int height) {
  computeTexCoords();
  float d[3];
  viewDirection(d);
  // Half a texel inside a cell, the linear filter reads that cell's texels alone.
  const double marginS = width > 0 ? 0.5 / width : 0.0;
  const double marginT = height > 0 ? 0.5 / height : 0.0;
  glEnable(GL_TEXTURE_2D);
  for (int k = 1; k < kSamples; ++k) {
    int seams[kSamples - 1];  // the row's straddling quads
    int seamCount = 0;
    int first = 0;  // first quad of the run of one-face quads not yet drawn
    for (int l = nextStraddlingQuad(k, 0); l + 1 < kSamples; l = nextStraddlingQuad(k, l + 1)) {
      drawQuadStrip(k, first, l);
      seams[seamCount++] = l;
      first = l + 1;
    }
    drawQuadStrip(k, first, kSamples - 1);
    // The row's pieces after its strips, in one GL_TRIANGLES: each primitive costs the GL
    // far more than its few triangles. Row by row, so that without a depth buffer a later
    // row still shows over an earlier one where the patch folds over itself.
    if (seamCount == 0) continue;
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < seamCount; ++i) sendSeamQuad(k, seams[i], d, marginS, marginT);
    glEnd();
  }
  glDisable(GL_TEXTURE_2D);
}
