// Systems where the engine's own media controls stay: it shows the panes'
// players itself.
#include "MediaControls.h"

namespace platform {

std::unique_ptr<MediaControls> MakeMediaControls() {
    return std::make_unique<MediaControls>();
}

const char* EngineMediaControlsFeature() {
    return "";
}

} // namespace platform
