#pragma once
// A command line whose text the test sets; counts how often it is read.
#include "platform/CommandLine.h"

class FakeCommandLine : public platform::CommandLine {
public:
    std::string Text() const override {
        ++reads;
        return text;
    }
    std::string text;
    mutable int reads = 0;
};
