// The Windows implementations of the platform seams, on the real Win32 API
// (run under Wine here): file system, registry with the value reader and
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

std::string ReadFileText(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

int FailureNumber(void (*step)(Win32FileSystem&, const std::string&), Win32FileSystem& files,
                  const std::string& path) {
    try {
        step(files, path);
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

TEST_CASE("file system: staging, copies, listing, deleting") {
    Win32FileSystem files;
    const std::string app = files.ApplicationFolder();
    CHECK(files.FolderExists(app));
    CHECK(app.back() != '\\');
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string root =
        win32::Utf8(temp) + "wavecrest-fs-" + std::to_string(GetCurrentProcessId());
    const std::string staging = root + "\\temp";

    CHECK(!files.FolderExists(root));
    files.MakeFolder(root);
    files.MakeFolder(staging);
    CHECK(files.FolderExists(staging));
    CHECK_EQ(FailureNumber([](Win32FileSystem& f, const std::string& p) { f.MakeFolder(p); }, files,
                           root + "\\no\\such"),
             int(ERROR_PATH_NOT_FOUND));

    const std::string saved = files.CurrentFolder();
    files.SetCurrentFolder(root);
    CHECK_EQ(files.CurrentFolder(), root);
    CHECK_EQ(FailureNumber([](Win32FileSystem& f, const std::string& p) { f.SetCurrentFolder(p); },
                           files, root + "\\missing"),
             int(ERROR_FILE_NOT_FOUND));
    files.SetCurrentFolder(saved);

    // Copies replace an earlier file of the same name and leave nothing else.
    WriteFileText(root + "\\Song.MP3", "new song");
    WriteFileText(staging + "\\Song.MP3", "old");
    files.CopyInto(root + "\\Song.MP3", staging + "\\Song.MP3");
    CHECK_EQ(ReadFileText(staging + "\\Song.MP3"), std::string("new song"));
    files.CopyInto(root + "\\Song.MP3", staging + "\\Track 10.mp3");
    files.CopyInto(root + "\\Song.MP3", staging + "\\track 2.mp3");
    files.CopyInto(root + "\\Song.MP3", staging + "\\notes.txt");
    CHECK_EQ(FailureNumber([](Win32FileSystem& f, const std::string& p) { f.CopyInto(p, p + "x"); },
                           files, root + "\\missing.mp3"),
             int(ERROR_FILE_NOT_FOUND));
    WriteFileText(staging + "\\hidden.mp3", "h", FILE_ATTRIBUTE_HIDDEN);
    WriteFileText(staging + "\\system.mp3", "s", FILE_ATTRIBUTE_SYSTEM);
    files.MakeFolder(staging + "\\folder.mp3");

    // Hidden and system files and folders are not listed; numbers by value.
    CHECK_EQ(files.ListFiles(staging),
             (std::vector<std::string>{"notes.txt", "Song.MP3", "track 2.mp3", "Track 10.mp3"}));
    CHECK(files.FileExists(staging + "\\notes.txt"));
    CHECK(!files.FileExists(staging + "\\hidden.mp3"));
    CHECK(!files.FileExists(staging + "\\system.mp3"));
    CHECK(!files.FileExists(staging + "\\folder.mp3"));
    CHECK(!files.FileExists(staging + "\\none.mp3"));

    // Finish: the MP3 files go, letter case ignored; the rest stays.
    files.DeleteMatching(staging + "\\*.mp3");
    CHECK_EQ(files.ListFiles(staging), (std::vector<std::string>{"notes.txt"}));
    CHECK(files.FolderExists(staging + "\\folder.mp3"));
    files.DeleteMatching(staging + "\\*.mp3"); // no match: nothing to do
    files.DeleteMatching(root + "\\missing\\*.*");
    // Delete All.
    files.DeleteMatching(staging + "\\*.*");
    CHECK(files.ListFiles(staging).empty());
    CHECK(files.FolderExists(staging));

    for (const char* name : {"\\hidden.mp3", "\\system.mp3"}) {
        SetFileAttributesW(Wide(staging + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(staging + name).c_str());
    }
    RemoveDirectoryW(Wide(staging + "\\folder.mp3").c_str());
    RemoveDirectoryW(Wide(staging).c_str());
    DeleteFileW(Wide(root + "\\Song.MP3").c_str());
    CHECK(RemoveDirectoryW(Wide(root).c_str()));
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
