// One draw of the generator per decision, in a fixed order, so that a seed means one session.
#include "support/random_input.h"

namespace support {

int randomCoordinate(std::mt19937& rng, unsigned insideInTen, unsigned nearInTen, int farReach) {
  const unsigned kind = rng() % 10;
  if (kind < insideInTen) return static_cast<int>(rng() % 801);
  if (kind < insideInTen + nearInTen) return static_cast<int>(rng() % 4001) - 2000;
  return static_cast<int>(rng() % (2u * static_cast<unsigned>(farReach) + 1u)) - farReach;
}

int randomWindowSide(std::mt19937& rng) {
  static const int sides[] = {0, 1, 2, 3, 800, 801};
  if (rng() % 2 == 0) return sides[rng() % 6];
  return static_cast<int>(rng() % 2400);
}

}  // namespace support
