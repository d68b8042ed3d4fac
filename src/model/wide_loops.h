// PATCHLUME_WIDE_LOOPS, put before a function whose loops vectorise: it is also built for
// AVX2, picked at load time, since a 4-lane divide or square root costs what a 2-lane one
// does. The clones need an ifunc resolver, which only glibc's loader provides: elsewhere
// (musl, macOS), and with PATCHLUME_PLAIN_LOOPS, the plain loop alone is built, to the same
// bits.
#pragma once

#if !defined(PATCHLUME_PLAIN_LOOPS) && defined(__x86_64__) && defined(__GLIBC__) && \
    (defined(__GNUC__) || defined(__clang__))
#define PATCHLUME_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define PATCHLUME_WIDE_LOOPS
#endif
