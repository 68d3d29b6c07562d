#pragma once
// A page's media texts as the desktop may show them: one line, without
// control characters (C0, C1, NUL among them) or marks that turn the
// direction of the text around, and no longer than a bound.
#include <QString>

namespace platform {

// Cleans `text`, then cuts it to `limit` characters.
QString CleanMediaText(const QString& text, int limit);

} // namespace platform
