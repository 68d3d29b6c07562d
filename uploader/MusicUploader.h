#pragma once
// Placeholder until the window is built: opens an empty window.
#include "platform/qt/Form.h"

class MusicUploader : public platform::Form {
    Q_OBJECT
};
