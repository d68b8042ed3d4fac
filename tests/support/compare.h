// Comparisons and measures the tests share: equality bit for bit, the area of a polygon. No GL.
#pragma once

#include <cstddef>
#include <functional>

namespace support {

// Whether the values hold the same bits: 0.0 and -0.0 differ, a NaN equals only its own bits.
bool sameBits(double a, double b);
bool sameBits(float a, float b);
bool sameBits(const double* a, const double* b, std::size_t count);

// The area of a planar polygon in any plane, whose vertex v has coordinate c (0 x, 1 y,
// 2 z) at(v, c): half the length of the summed cross products of its fan from vertex 0.
double polygonArea(int count, const std::function<double(int v, int c)>& at);

}  // namespace support
