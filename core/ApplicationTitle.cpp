#include "MsgBox.h"

#include "ProjectSettings.h"

namespace platform {
const char* const kApplicationTitle = settings::kTitle;
}
