#pragma once
// A process starter that records the command lines and window states it was
// asked to start. Like the real one it fails on an empty command line, and
// on every command line while `failing` is set.
#include "core/Failure.h"
#include "core/ProcessStarter.h"

#include <string>
#include <vector>

struct StartedProcess {
    std::string commandLine;
    int windowState;
};

class FakeProcessStarter : public platform::ProcessStarter {
public:
    void Start(const std::string& commandLine, int windowState) override {
        attempts.push_back({commandLine, windowState});
        if (failing || commandLine.empty())
            throw platform::Failure(2, "The system cannot find the file specified");
        started.push_back({commandLine, windowState});
    }

    bool failing = false;
    std::vector<StartedProcess> attempts; // every call
    std::vector<StartedProcess> started;  // the calls that succeeded
};
