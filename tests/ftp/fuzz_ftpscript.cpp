// Fuzz target: any bytes as switches (first line) and script (the rest) must
// run without a crash or undefined behaviour against a connection that only
// records, and no command may reach the server holding a line break.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>

#include "ftp/Interpreter.h"

namespace {

class RecordingConnection : public ftp::Connection {
public:
    void SetListeners(Listeners listeners) override { listeners_ = std::move(listeners); }
    void RequireTls(const std::string&) override {}
    void SetStopRequest(std::function<bool()>) override {}
    void SetDeadline(std::chrono::steady_clock::time_point) override {}
    bool Open(const std::string&, int, const std::string& user, const std::string&,
              std::string& error) override {
        open_ = !user.empty() && user.front() != 'x';
        error = open_ ? "" : "Access denied";
        return open_;
    }
    bool IsOpen() const override { return open_; }
    int Send(const std::string& command, std::string&) override {
        if (command.find_first_of("\r\n") != std::string::npos)
            std::abort();
        listeners_.commands(command);
        listeners_.replies(command.size() % 2 ? "250 Ok." : "550 No.");
        if (command == "QUIT")
            open_ = false;
        return command.size() % 2 ? 250 : 550;
    }
    ftp::TransferResult Put(int file, const std::string&, const std::string& remote, bool, bool,
                            ProgressListener progress, const std::string&) override {
        ::close(file);
        progress(remote.size() * 1000);
        open_ = remote.find('!') == std::string::npos; // a dropped connection
        return {open_ ? Done : Failed, remote.size(), 0.5, open_ ? "" : "dropped", open_};
    }
    ftp::TransferResult Get(const std::string&, const std::string& remote, bool,
                            ProgressListener progress) override {
        progress(remote.size());
        return {Done, remote.size(), 0, ""};
    }
    bool List(ftp::ListKind, const std::string& path, std::string& listing, std::string&) override {
        listing = "a.mp3\r\nb.txt\n" + path + "/c.mp3\n\n";
        return true;
    }
    void Close() override { open_ = false; }

private:
    static constexpr auto Done = ftp::TransferOutcome::Done;
    static constexpr auto Failed = ftp::TransferOutcome::Failed;
    Listeners listeners_;
    bool open_ = false;
};

class RecordingLocalSide : public ftp::LocalSide {
public:
    bool ChangeFolder(const std::string& path, std::string& error) override {
        error = "refused";
        return path.size() % 2;
    }
    std::string CurrentFolder() const override { return "/nowhere"; }
    bool WriteFile(const std::string&, const std::string&, std::string&) override { return true; }
    std::optional<int> HoldFolder(const std::string& folder,
                                  const ftp::FolderLock::WaitNotice& waiting,
                                  const ftp::FolderLock::StopRequest&, std::string&) override {
        if (folder.size() % 3 == 0)
            waiting(folder);
        return folder.size() % 5 ? std::optional<int>(1) : std::nullopt;
    }
    void ReleaseFolder() override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return std::freopen("/dev/null", "w", stdout) ? 0 : 1; // the transcript's echo
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto lineEnd = bytes.find('\n');
    std::string error;
    auto options = ftp::ParseArguments(
        ftp::SplitWords(bytes.substr(0, lineEnd == std::string::npos ? size : lineEnd)), error);
    if (!options)
        return 0;
    options->scriptFile = "script";
    std::istringstream script(lineEnd == std::string::npos ? "" : bytes.substr(lineEnd + 1));
    RecordingConnection connection;
    RecordingLocalSide local;
    ftp::Transcript transcript;
    ftp::Interpreter interpreter(*options, connection, local, transcript);
    interpreter.Run(script);
    return 0;
}
