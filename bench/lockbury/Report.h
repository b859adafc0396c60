#pragma once
// The figures of one run: printed as a table and written as JSON (an array of {name, value, unit}).
#include <filesystem>
#include <string>
#include <vector>

namespace Bench {

struct Figure {
    std::string name;
    double value = 0;
    std::string unit;
};

class Report {
public:
    void Add(std::string name, double value, std::string unit);
    void Section(const std::string& title);  // a heading in the printed table only
    // A figure added earlier by name (0 when there is none).
    double Value(const std::string& name) const;
    void WriteJson(const std::filesystem::path& file) const;
    const std::vector<Figure>& Figures() const { return figures_; }

private:
    std::vector<Figure> figures_;
};

// The median of the samples (the mean of the middle two for an even count).
double Median(std::vector<double> samples);
// The nearest-rank percentile (fraction 0.99 for p99): the smallest sample that at least that
// share of the samples do not exceed. With fewer than 100 samples the p99 is the largest.
double Percentile(std::vector<double> samples, double fraction);

}  // namespace Bench
