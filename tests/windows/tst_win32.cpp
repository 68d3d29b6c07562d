// The Windows implementations of the platform seams, on the real Win32 API
// (run under Wine here): the file system on the road the POSIX one walks too,
// the registry's root key forms and the program's argument text.
#include <windows.h>

#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "core/Failure.h"
#include "system/SystemServices.h"
#include "system/win32/Win32CommandLine.h"
#include "system/win32/Win32FileSystem.h"
#include "system/win32/Win32Registry.h"
#include "system/win32/Win32Text.h"
#include "tests/uploader/FileSystemRoad.h"

using namespace platform;
using win32::Wide;

namespace {

void WriteFileText(const std::string& path, const std::string& text, DWORD attributes = 0) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | attributes, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

TEST_CASE("file system: the staging folder's road") {
    Win32FileSystem files;
    const std::string app = files.ApplicationFolder();
    CHECK(files.FolderExists(app));
    CHECK(app.back() != '\\');
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string root =
        win32::Utf8(temp) + "wavecrest-fs-" + std::to_string(GetCurrentProcessId());
    files.MakeFolder(root);
    const std::string saved = files.CurrentFolder();
    fsroad::Walker walker(files, root, [](const std::string& path) {
        WriteFileText(path, "h", FILE_ATTRIBUTE_HIDDEN);
    });
    for (const fsroad::Row& row : fsroad::kRoad) {
        INFO(row.step, " ", row.path, " ", row.more);
        CHECK_EQ(walker.Take(row), std::string(row.gives));
    }
    files.SetCurrentFolder(saved);
    // A system file is left out as a hidden one is.
    WriteFileText(root + "\\temp\\system.mp3", "s", FILE_ATTRIBUTE_SYSTEM);
    CHECK(files.ListFiles(root + "\\temp").empty());
}

constexpr const char* kTestKey = "SOFTWARE\\WavecrestUnit";

// Values and GetKeyValue on them are held against the registry-file stand-in by
// the regdiff tests; here the forms of the root key the program passes.
TEST_CASE("registry: the root key as a 32-bit value or a sign-extended handle") {
    Win32Registry registry;
    HKEY created = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                    nullptr);
    RegCloseKey(created);
    for (RegKey root : {kHKeyLocalMachine, reinterpret_cast<RegKey>(HKEY_LOCAL_MACHINE)}) {
        RegKey key = 0;
        CHECK_EQ(registry.OpenKey(root, kTestKey, 0, 0x2003F, &key), kErrorSuccess);
        CHECK(key != 0);
        CHECK_EQ(registry.CloseKey(key), kErrorSuccess);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
}

TEST_CASE("the argument text of the command line") {
    struct Case {
        const wchar_t* line;
        const char* text;
    } cases[] = {
        {L"Wavecrest.exe", ""},
        {L"Wavecrest.exe -MusicUploader", "-MusicUploader"},
        {L"\"C:\\Program Files\\Wavecrest\\Wavecrest.exe\" /help", "/help"},
        {L"\"C:\\My Apps\\Wavecrest.exe\"-?", "-?"},
        {L"Wavecrest.exe \t  -poop  ", "-poop  "},
        {L"Wavecrest.exe \"a b\"", "\"a b\""},
        {L"Wavecrest.exe Gr\u00fc\u00dfe", "Gr\xc3\xbc\xc3\x9f"
                                           "e"},
    };
    for (const Case& c : cases)
        CHECK_EQ(ArgumentText(c.line), std::string(c.text));
    CHECK_EQ(MakeSystemCommandLine(0, nullptr)->Text(), std::string("one \"two three\""));
}

} // namespace
