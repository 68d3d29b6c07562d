#include "MediaText.h"

namespace platform {

namespace {
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

// Marks, embeddings, overrides and isolates that change the direction of
// what follows: a title could make the desktop show other texts reversed.
bool turnsDirection(char16_t c) {
    return c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}
} // namespace

QString CleanMediaText(const QString& text, int limit) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.isSpace())
            clean += QLatin1Char(' '); // tabs and line breaks part words
        else if (!isControl(c.unicode()) && !turnsDirection(c.unicode()))
            clean += c;
    }
    clean = clean.simplified();
    if (clean.size() > limit)
        clean.truncate(clean.at(limit - 1).isHighSurrogate() ? limit - 1 : limit);
    return clean;
}

} // namespace platform
