// The host's log sinks: one sink that keeps every formatted line for the simulator to read.
#include <spdlog/sinks/base_sink.h>

#include <mutex>

#include "HostState.h"

namespace {

class CaptureSink final : public spdlog::sinks::base_sink<std::mutex> {
public:
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }
    void SetEcho(std::function<void(const std::string&)> echo) {
        std::lock_guard lock(mutex_);
        echo_ = std::move(echo);
    }

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        spdlog::memory_buf_t formatted;
        formatter_->format(msg, formatted);
        std::string line(formatted.data(), formatted.size());
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        lines_.push_back(line);
        if (echo_) echo_(line);
    }
    void flush_() override {}

private:
    std::vector<std::string> lines_;
    std::function<void(const std::string&)> echo_;
};

std::shared_ptr<CaptureSink>& Capture() {
    static auto sink = std::make_shared<CaptureSink>();
    return sink;
}

}  // namespace

std::vector<spdlog::sink_ptr>& GetLogSinks() {
    static std::vector<spdlog::sink_ptr> sinks{Capture()};
    return sinks;
}

namespace HostRuntime {

const std::vector<std::string>& LogLines() { return Capture()->Lines(); }
void ClearLogLines() { Capture()->Clear(); }
void SetLogEcho(std::function<void(const std::string&)> echo) { Capture()->SetEcho(std::move(echo)); }

}  // namespace HostRuntime
