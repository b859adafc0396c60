// A script of lockbury-server run by its session against the simulated world, without the plugin
// (loading it would need a database): players join and leave, get items, move, place structures,
// fight, type chat and console lines, shift the clocks. No line may bring the server down.
#include <unistd.h>

#include <fcntl.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "HostRuntime/HostState.h"
#include "Sim/Tools/Printer.h"
#include "Sim/Tools/Session.h"
#include "Support/FuzzText.h"
#include "Support/Invariant.h"

namespace {

// give takes payloads up to 64 MiB for the benchmarks; a script of a hundred of them would only
// measure the machine's memory. Sizes above that limit are kept: the session refuses them.
constexpr std::uint64_t kLargestPayload = 64 * 1024;
constexpr std::uint64_t kSessionPayloadLimit = 64u << 20;

bool WantsHugePayload(const LockburyServer::Words& words) {
    if (words.Count() == 0 || words[0] != "give") return false;
    for (std::size_t i = 2; i < words.Count(); ++i) {
        if (!words[i].starts_with("payload=")) continue;
        const auto size = LockburyServer::Words::Unsigned(std::string_view(words[i]).substr(8));
        if (size && *size > kLargestPayload && *size <= kSessionPayloadLimit) return true;
    }
    return false;
}

// crash and crashinsave end the process on purpose, which the fuzzer would report as a finding.
bool EndsTheProcess(const LockburyServer::Words& words) {
    return words.Count() > 0 && (words[0] == "crash" || words[0] == "crashinsave");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The session prints every line it runs; the fuzzer reports on standard error. Set
    // LOCKBURY_FUZZ_SHOW_OUTPUT to see the session's lines when replaying an input.
    if (!std::getenv("LOCKBURY_FUZZ_SHOW_OUTPUT")) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            std::fflush(stdout);
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script = Fuzz::AsText(data, size);
    // Never created or loaded: the session runs without the plugin.
    const std::filesystem::path serverDir = std::filesystem::temp_directory_path() / "lockbury-fuzz-no-server";
    LockburyServer::Printer printer;
    {
        LockburyServer::Session session(serverDir, serverDir / "no-plugin.so", printer);
        std::size_t number = 0;
        for (std::size_t start = 0; start <= script.size();) {
            std::size_t end = script.find('\n', start);
            if (end == std::string_view::npos) end = script.size();
            const std::string line(script.substr(start, end - start));
            start = end + 1;
            ++number;
            const LockburyServer::Words words(line);
            if (WantsHugePayload(words) || EndsTheProcess(words)) continue;
            (void)session.Run(line, "line " + std::to_string(number) + ": ");
        }
    }
    // Without the plugin nothing can fail inside a plugin handler.
    FUZZ_REQUIRE(HostRuntime::EscapedErrors().empty());
    HostRuntime::ClearLogLines();
    return 0;
}
