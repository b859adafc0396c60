#include "bench/lockbury/Report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace Bench {

void Report::Add(std::string name, double value, std::string unit) {
    std::printf("  %-58s %14.3f %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
    figures_.push_back({std::move(name), value, std::move(unit)});
}

void Report::Section(const std::string& title) {
    std::printf("\n%s\n", title.c_str());
    std::fflush(stdout);
}

double Report::Value(const std::string& name) const {
    for (const auto& f : figures_)
        if (f.name == name) return f.value;
    return 0;
}

void Report::WriteJson(const std::filesystem::path& file) const {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& f : figures_) out.push_back({{"name", f.name}, {"value", f.value}, {"unit", f.unit}});
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << out.dump(2) << '\n';
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty()) throw std::logic_error("no samples to take a percentile of");
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

}  // namespace Bench
