#include "system/SystemServices.h"

namespace platform {

namespace {
// On POSIX the program receives its arguments already split; the argument
// text is them joined by single blanks, taken before any toolkit removes some.
class ArgumentsCommandLine final : public CommandLine {
public:
    explicit ArgumentsCommandLine(std::string text) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }

private:
    std::string text_;
};
} // namespace

std::unique_ptr<CommandLine> MakeSystemCommandLine(int argc, const char* const* argv) {
    return std::make_unique<ArgumentsCommandLine>(JoinArguments(argc, argv));
}

} // namespace platform
