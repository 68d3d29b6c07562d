#pragma once
// A blank as command lines and registry files know it: a space or a tab.
namespace platform {

template <typename Char> constexpr bool IsBlank(Char c) {
    return c == Char(' ') || c == Char('\t');
}

} // namespace platform
