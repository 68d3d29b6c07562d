// Temporary weak fallbacks until every system service is built.
#include "platform/SystemServices.h"
namespace platform {
__attribute__((weak)) std::unique_ptr<FileSystem> MakeSystemFileSystem() { return std::make_unique<FileSystem>(); }
__attribute__((weak)) std::unique_ptr<ProcessStarter> MakeSystemProcessStarter() { return std::make_unique<ProcessStarter>(); }
}
