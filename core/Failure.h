#pragma once
// A failed platform step. Carries the system's error number and its own
// description, so the one failure report can say what failed and why.
#include <stdexcept>
#include <string>

namespace platform {

class Failure : public std::runtime_error {
public:
    Failure(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }
    std::string description() const { return what(); }

private:
    int number_;
};

} // namespace platform
