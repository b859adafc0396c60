#pragma once
// Throughput of the item text form (MB of item bytes per second, 1 MB = 10^6 bytes).
#include <cstddef>

namespace Bench {

struct HexSpeed {
    double toHex = 0;  // BytesToHex, MB/s
    double fromHex = 0;  // HexToBytes, MB/s
};

// Medians over `runs` samples, each converting about `bytesPerSample` bytes.
HexSpeed MeasureItemText(std::size_t itemBytes, int runs, std::size_t bytesPerSample);

}  // namespace Bench
