#include "bench/lockbury/ItemTextBench.h"

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Private/Vault/ItemText.h"
#include "bench/lockbury/Report.h"
#include "bench/lockbury/Timer.h"

namespace Bench {
namespace {
volatile std::size_t keep = 0;  // the conversions' results end here, so they are not optimised away
}  // namespace

HexSpeed MeasureItemText(std::size_t itemBytes, int runs, std::size_t bytesPerSample) {
    std::mt19937 random(11);
    std::vector<unsigned char> bytes(itemBytes);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    const std::string text = Lockbury::BytesToHex(bytes);
    const int repeats = static_cast<int>(std::max<std::size_t>(1, bytesPerSample / itemBytes));

    std::size_t sink = 0;
    std::vector<double> to, from;
    for (int run = 0; run < runs; ++run) {
        Timer t;
        for (int i = 0; i < repeats; ++i) sink += static_cast<unsigned char>(Lockbury::BytesToHex(bytes)[i % 7]);
        to.push_back(static_cast<double>(itemBytes) * repeats / (t.Ms() * 1000.0));

        Timer f;
        for (int i = 0; i < repeats; ++i) sink += Lockbury::HexToBytes(text)[i % 7];
        from.push_back(static_cast<double>(itemBytes) * repeats / (f.Ms() * 1000.0));
    }
    const TArray<unsigned char> back = Lockbury::HexToBytes(text);
    if (back.Num() != static_cast<int>(bytes.size()) || !std::equal(bytes.begin(), bytes.end(), back.GetData()))
        throw std::runtime_error("the item text did not read back");
    keep = sink;
    return {Median(to), Median(from)};
}

}  // namespace Bench
