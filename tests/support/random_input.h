// Random pointer coordinates and window sizes for the long random sessions, drawn from a
// seeded generator so that a failing session replays.
#pragma once

#include <random>

namespace support {

// A pointer coordinate: in insideInTen of ten draws within the 800-pixel window, in nearInTen
// within 2000 pixels of its corner, in the rest up to farReach pixels either way.
int randomCoordinate(std::mt19937& rng, unsigned insideInTen, unsigned nearInTen, int farReach);

// A window side: half the time one of the degenerate or usual sizes 0, 1, 2, 3, 800, 801,
// otherwise anything below 2400.
int randomWindowSide(std::mt19937& rng);

}  // namespace support
