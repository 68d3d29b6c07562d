#pragma once
// Alt pressed and released alone, or F10, takes the keyboard to a window's
// menu bar, as desktops that give every window a menu bar do: the first entry
// is highlighted, the arrow keys move, Enter or Down opens or chooses, Escape
// leaves and gives the focus back to the control that had it. The entries
// keep their captions as they are: no access keys and no shortcuts of their own.
class QMenuBar;

namespace platform {

void ReachFromKeyboard(QMenuBar& bar);

} // namespace platform
