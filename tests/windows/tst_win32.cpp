// The Windows implementations of the platform seams, on the real Win32 API
// (run under Wine here): file system (on the road the POSIX one walks too), registry with the value reader and
// the system information launcher, and the program's argument text.
#include <windows.h>

#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "dialogs/SysInfoLauncher.h"
#include "platform/Failure.h"
#include "platform/MsgBox.h"
#include "platform/SystemServices.h"
#include "platform/win32/Win32CommandLine.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Text.h"
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

void SetValue(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened,
                    nullptr);
    RegSetValueExA(opened, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
}

TEST_CASE("registry and the value reader") {
    Win32Registry registry;
    const unsigned char dword[] = {3, 2, 1, 0};
    SetValue(kTestKey, "Number", REG_DWORD, dword, 4);
    SetValue(kTestKey, "Text", REG_SZ, "C:\\Tools\\msinfo32.exe", 22);
    SetValue(kTestKey, "Unterminated", REG_SZ, "abc", 3);
    SetValue(kTestKey, "Expand", REG_EXPAND_SZ, "%SystemRoot%", 13);
    const std::string big(1500, 'x');
    SetValue(kTestKey, "Big", REG_SZ, big.c_str(), 1501);

    // The 32-bit root value and the sign-extended handle open the same key.
    RegKey key = 0;
    CHECK_EQ(registry.OpenKey(kHKeyLocalMachine, kTestKey, 0, kKeyRead, &key), kErrorSuccess);
    CHECK(key != 0);
    CHECK_EQ(registry.CloseKey(key), kErrorSuccess);
    CHECK_EQ(
        registry.OpenKey(reinterpret_cast<RegKey>(HKEY_LOCAL_MACHINE), kTestKey, 0, 0x2003F, &key),
        kErrorSuccess);
    std::uint32_t type = 0, size = 1;
    unsigned char buffer[4];
    CHECK_EQ(registry.QueryValue(key, "Text", &type, buffer, &size), kErrorMoreData);
    CHECK_EQ(type, kRegSz);
    CHECK_EQ(size, 22u);
    CHECK_EQ(registry.QueryValue(key, "None", &type, buffer, &size), kErrorFileNotFound);
    registry.CloseKey(key);
    CHECK_EQ(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE\\WavecrestMissing", 0, kKeyRead, &key),
             kErrorFileNotFound);
    CHECK_EQ(key, RegKey(0));

    struct Case {
        const char* name;
        const char* before;
        bool result;
        const char* text;
    } cases[] = {
        {"Text", "old", true, "C:\\Tools\\msinfo32.exe"},
        {"Unterminated", "", true, "abc"},
        {"Number", "", true, "66051"}, // &h010203 in decimal
        {"Expand", "kept", true, "kept"},
        {"Big", "old", false, ""},
        {"Missing", "old", false, ""},
    };
    for (const Case& c : cases) {
        std::string text = c.before;
        CHECK_EQ(dialogs::GetKeyValue(registry, kHKeyLocalMachine, kTestKey, c.name, text),
                 c.result);
        CHECK_EQ(text, std::string(c.text));
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
}

class RecordingStarter : public ProcessStarter {
public:
    void Start(const std::string& commandLine, int windowState) override {
        started += commandLine + " @" + std::to_string(windowState) + ";";
    }
    std::string started;
};

class RecordingMsgBox : public MsgBox {
public:
    using MsgBox::Show;
    int Show(const std::string& text, int style, const std::string& title) override {
        shown += text + " (" + std::to_string(style) + ", " + title + ");";
        return kIdOk;
    }
    std::string shown;
};

TEST_CASE("system information launcher") {
    Win32Registry registry;
    Win32FileSystem files;
    const std::string tools = files.ApplicationFolder();
    const std::string location = "SOFTWARE\\Microsoft\\Shared Tools Location";
    SetValue(location.c_str(), "MSINFO", REG_SZ, tools.c_str(), DWORD(tools.size() + 1));

    RecordingStarter starter;
    RecordingMsgBox box;
    dialogs::StartSysInfo(registry, files, starter, box); // no MSINFO32.EXE there yet
    CHECK_EQ(box.shown,
             std::string("System Information Is Unavailable At This Time (0, Wavecrest);"));
    CHECK_EQ(starter.started, std::string());

    WriteFileText(tools + "\\MSINFO32.EXE", "MZ");
    box.shown.clear();
    dialogs::StartSysInfo(registry, files, starter, box);
    CHECK_EQ(starter.started, tools + "\\MSINFO32.EXE @1;");
    CHECK_EQ(box.shown, std::string());
    DeleteFileW(Wide(tools + "\\MSINFO32.EXE").c_str());
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, location.c_str(), 0, KEY_SET_VALUE, &opened) == 0) {
        RegDeleteValueA(opened, "MSINFO");
        RegCloseKey(opened);
    }
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
