#pragma once
// A server folder whose configuration points at a scratch database, and a way to run one
// lockbury-server session script in it.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "ServerFolder.h"
#include "ServerProcess.h"
#include "support/TestConfig.h"
#include "support/TestDatabase.h"

namespace ServerTests {

class SessionTest : public ::testing::Test {
protected:
    SessionTest() : config_(TestSupport::DefaultConfig(db_.Params())) {
        // The time left changes from second to second; the count is what these tests look at.
        config_["messages"]["vaultList"] = "{}: {} items\n";
    }

    nlohmann::ordered_json& Config() { return config_; }

    // Runs the script in the folder with the configuration as it stands; the output normalised.
    std::string Run(const std::string& script, std::vector<std::string> extra = {}) {
        folder_.WriteConfig(config_);
        std::vector<std::string> args{"--server-dir", folder_.Dir().string(), "--script", folder_.Script(script)};
        args.insert(args.end(), extra.begin(), extra.end());
        last_ = ServerProcess::Run(args);
        return Normalised(last_.output);
    }
    int Status() const { return last_.status; }

    TestSupport::ScratchDatabase db_;
    ServerFolder folder_;

private:
    nlohmann::ordered_json config_;
    Finished last_;
};

}  // namespace ServerTests
