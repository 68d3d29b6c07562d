#pragma once
// Shows how far a copy into the staging folder is once it has taken half a
// second, with a Cancel button. The uploader's window stays painted: events
// are handled between the copy's chunks, on the window's own thread, while
// the box keeps the user's clicks away from the window it belongs to.
#include "core/FileSystem.h"

#include <QProgressDialog>
#include <string>

class CopyProgressBox {
public:
    CopyProgressBox(QWidget* window, const std::string& fileName);

    // What the copy calls between chunks: false once Cancel was pressed or
    // the program is ending.
    platform::CopyProgress Watch();

private:
    bool Continue(std::uint64_t copied, std::uint64_t size);

    QProgressDialog box_;
};
