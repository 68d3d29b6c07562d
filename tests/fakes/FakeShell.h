#pragma once
// A shell that records the addresses it was asked to open.
#include "core/Shell.h"

#include <string>
#include <vector>

class FakeShell : public platform::Shell {
public:
    void Open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};
