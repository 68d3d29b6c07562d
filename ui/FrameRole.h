#pragma once
// Qt gives a plain top-level widget the role of a client area, which a
// screen reader hears as "filler": windows of the classes named here are
// frames to it, as a main window is.
#include <QMetaObject>

namespace platform {

// Every window of `windowClass` (or a class derived from it) is a frame
// from now on. Safe to call more than once.
void AnnounceAsFrame(const QMetaObject& windowClass);

} // namespace platform
