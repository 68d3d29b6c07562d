// The program side of sending, as the uploader does it: optionally make the
// application folder current ("send"), then start "ftp.exe -s:sendfiles.ftps"
// minimized. Exit code 0 when started, else the failure number is printed.
#include <cstdio>
#include <cstring>

#include "platform/Failure.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessStarter.h"

int main(int argc, char** argv) {
    try {
        platform::Win32FileSystem files;
        if (argc > 1 && std::strcmp(argv[1], "send") == 0)
            files.SetCurrentFolder(files.ApplicationFolder());
        platform::Win32ProcessStarter().Start("ftp.exe -s:sendfiles.ftps",
                                              platform::kShowMinimized);
    } catch (const platform::Failure& failure) {
        std::printf("failure %d: %s\n", failure.number(), failure.description().c_str());
        return 3;
    }
    return 0;
}
