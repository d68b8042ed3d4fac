// Cost of the mirror's texture coordinates, recomputed for all 16,641 samples in every
// camera-view pass, against the single-sample function called over the same grid; and of
// cutting the quads that straddle a face border into one-face pieces.
#include <benchmark/benchmark.h>

#include "app/state.h"
#include "render/reflection.h"
#include "render/seams.h"
#include "scene.h"

static void BM_TexCoords(benchmark::State& state) {
  prepareDefaultScene();
  timeStep(state, computeTexCoords, texCoords);
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoords)->Unit(benchmark::kMicrosecond);

// The grid through the readable one-sample function: the yardstick for BM_TexCoords.
static void BM_TexCoordsOneByOne(benchmark::State& state) {
  prepareDefaultScene();
  const float d[3] = {cameraCenter[0] - cameraEye[0], cameraCenter[1] - cameraEye[1],
                      cameraCenter[2] - cameraEye[2]};
  auto oneByOne = [&d] {
    for (int k = 0; k < kSamples; ++k)
      for (int l = 0; l < kSamples; ++l) reflectionTexCoord(surfaceNormals[k][l], d, texCoords[k][l]);
  };
  timeStep(state, oneByOne, texCoords);
  state.SetItemsProcessed(state.iterations() * kSamples * kSamples);
}
BENCHMARK(BM_TexCoordsOneByOne)->Unit(benchmark::kMicrosecond);

// The work the straddling quads add to a camera-view pass at the start-up camera, outside
// GL: finding them among the 16,384 quads, cutting them, and the pieces' atlas coordinates.
static void BM_SeamPieces(benchmark::State& state) {
  prepareDefaultScene();
  computeTexCoords();
  float d[3];
  viewDirection(d);
  int quads = 0, pieces = 0, vertices = 0;
  for (auto _ : state) {
    quads = pieces = vertices = 0;
    for (int k = 1; k < kSamples; ++k) {
      for (int l = nextStraddlingQuad(k, 0); l + 1 < kSamples; l = nextStraddlingQuad(k, l + 1)) {
        SeamPiece cut[kMaxQuadPieces];
        const int count = splitQuadByFace(k, l, d, cut);
        ++quads;
        pieces += count;
        for (int p = 0; p < count; ++p) {
          double st[kMaxPieceVertices][2];
          pieceTexCoords(cut[p], 0.5 / 1024, 0.5 / 768, st);
          benchmark::DoNotOptimize(st);
          vertices += cut[p].count;
        }
      }
    }
    benchmark::ClobberMemory();
  }
  state.counters["straddling"] = quads;
  state.counters["pieces"] = pieces;
  state.counters["vertices"] = vertices;
}
BENCHMARK(BM_SeamPieces)->Unit(benchmark::kMicrosecond);
