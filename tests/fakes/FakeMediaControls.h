#pragma once
// Media controls that keep what they were last asked to show; a test plays
// the desktop through onAction.
#include "panes/media/MediaControls.h"

class FakeMediaControls : public platform::MediaControls {
public:
    void Show(const platform::MediaState& state) override {
        shown = state;
        ++shows;
    }
    platform::MediaState shown;
    int shows = 0; // updates the desktop was given
};
