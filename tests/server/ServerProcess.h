#pragma once
// One lockbury-server process for a black-box test: arguments in, standard input written by the
// test, standard output and error read back together once it has ended.
#include <sys/types.h>

#include <string>
#include <vector>

namespace ServerTests {

struct Finished {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string output;  // standard output and error as written
};

class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& args);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    void Write(const std::string& text);
    // Reads what it prints until the output so far holds `text` (or it ends); returns that output.
    const std::string& ReadUntil(const std::string& text);
    // Closes its standard input, reads everything it prints and waits for it to end.
    Finished Finish();
    // Ends it at once with SIGKILL, as `kill -9` does, and reads what it printed until then.
    Finished Kill();

    // Runs one process to its end with the given standard input.
    static Finished Run(const std::vector<std::string>& args, const std::string& input = "");

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string output_;
};

// The output with the date and time at the start of each log line taken out, so that
// "[log] 06/01/25 12:00 [Lockbury][error] x" compares as "[log] [Lockbury][error] x".
std::string WithoutLogTimes(const std::string& output);
// WithoutLogTimes, and object numbers replaced by N ("PrimalItemResource_Wood_C_N"): they count
// every object the world made, which a test need not pin down.
std::string Normalised(const std::string& output);

}  // namespace ServerTests
