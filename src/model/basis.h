// Degree-3 binomial row, the Bernstein weight table at 129 parameter values, and the
// initial dome-shaped control grid. No GL: callable from any test.
#pragma once

#include "app/state.h"

// Fills binomial with 1, 3, 3 (the last coefficient, 1, is implied by symmetry).
void initBinomials();

// Fills bernstein[k][j] = C(3, j) t^j (1 - t)^(3 - j), t = k/128; every entry is exact.
// Needs binomial filled.
void initBernstein();

// Sets the 4 by 4 dome, tessellates it once (updateSurface) and sets dragView to -1.
// Needs bernstein filled.
void initControlGrid();

// Replaces all 16 control points by grid and tessellates them (updateSurface).
void setControlGrid(const double grid[kGridSize][kGridSize][3]);
