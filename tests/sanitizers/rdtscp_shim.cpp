// Preloaded under valgrind only, by scripts/memcheck.sh. libavcodec loads libjxl, whose libhwy
// probes its timer with RDTSCP while it loads; valgrind refuses that instruction on CPUs
// whose CPUID does not list it (virtual machines often hide it), killing the viewer before
// main. This answers the probe instead: a resolution of one tick, which nothing the viewer
// runs ever reads.
#include <cstdint>

namespace hwy {
namespace platform {
std::uint64_t TimerResolution() { return 1; }
}  // namespace platform
}  // namespace hwy
