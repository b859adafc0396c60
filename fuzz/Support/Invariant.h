#pragma once
// A broken invariant is a finding just like a sanitizer report: it names itself and aborts, and
// the fuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Fuzz {

[[noreturn]] inline void Broken(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "invariant broken at %s:%d: %s%s%s\n", file, line, condition, detail.empty() ? "" : "\n  ",
                 detail.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace Fuzz

#define FUZZ_REQUIRE(condition) ((condition) ? (void)0 : ::Fuzz::Broken(__FILE__, __LINE__, #condition, std::string()))
// The detail (any expression giving a std::string) is only worked out when the check fails.
#define FUZZ_REQUIRE_WITH(condition, detail) \
    ((condition) ? (void)0 : ::Fuzz::Broken(__FILE__, __LINE__, #condition, (detail)))
