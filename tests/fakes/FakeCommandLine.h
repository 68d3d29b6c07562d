#pragma once
// A command line whose text the test sets.
#include "core/CommandLine.h"

class FakeCommandLine : public platform::CommandLine {
public:
    std::string Text() const override { return text; }
    std::string text;
};
