// The commands that only set or show how the client works: the transfer
// type, the switches that toggle and the status.
#include "Interpreter.h"

namespace ftp {

bool Interpreter::Binary(const Words&, const std::string&) {
    return session_.SetType(false);
}

bool Interpreter::Ascii(const Words&, const std::string&) {
    return session_.SetType(true);
}

bool Interpreter::Type(const Words& words, const std::string&) {
    if (words.size() == 1) {
        transcript_.Line(std::string("Using ") + (session_.Ascii() ? "ascii" : "binary") +
                         " mode to transfer files.");
        return true;
    }
    const std::string type = Lowered(words[1]);
    if (type == "ascii" || type == "a")
        return session_.SetType(true);
    if (type == "binary" || type == "image" || type == "i")
        return session_.SetType(false);
    return Fail(words[1] + ": unknown mode.");
}

bool Interpreter::Toggle(bool& flag, const std::string& what) {
    flag = !flag;
    transcript_.Line(what + (flag ? " On" : " Off") + " .");
    return true;
}

bool Interpreter::TogglePrompt(const Words&, const std::string&) {
    return Toggle(options_.prompt, "Interactive mode");
}

bool Interpreter::ToggleHash(const Words&, const std::string&) {
    hash_ = !hash_;
    transcript_.Line(hash_ ? "Hash mark printing On  ftp: (2048 bytes/hash mark) ."
                           : "Hash mark printing Off .");
    return true;
}

bool Interpreter::ToggleVerbose(const Words&, const std::string&) {
    return Toggle(options_.verbose, "Verbose mode");
}

bool Interpreter::ToggleDebug(const Words&, const std::string&) {
    return Toggle(options_.debug, "Debugging");
}

bool Interpreter::ToggleGlob(const Words&, const std::string&) {
    return Toggle(options_.glob, "Globbing");
}

// The bell is a no-op in a transcript; the setting is kept for status.
bool Interpreter::ToggleBell(const Words&, const std::string&) {
    return Toggle(bell_, "Bell mode");
}

bool Interpreter::ToggleTrace(const Words&, const std::string&) {
    return Toggle(trace_, "Packet tracing");
}

bool Interpreter::Status(const Words&, const std::string&) {
    transcript_.Line(connection_.IsOpen() ? "Connected to " + session_.Host() + "."
                                          : "Not connected.");
    auto onOff = [](bool flag) { return flag ? "On" : "Off"; };
    transcript_.Line(std::string("Type: ") + (session_.Ascii() ? "ascii" : "binary") +
                     "; Verbose: " + onOff(options_.verbose) + " ; Bell: " + onOff(bell_) +
                     " ; Prompting: " + onOff(options_.prompt) +
                     " ; Globbing: " + onOff(options_.glob));
    transcript_.Line(std::string("Debugging: ") + onOff(options_.debug) +
                     " ; Hash mark printing: " + onOff(hash_) + " .");
    return true;
}

bool Interpreter::Help(const Words&, const std::string&) {
    std::string names;
    for (const auto& command : CommandTable())
        names += std::string(command.name) + " ";
    transcript_.Line("Commands may be abbreviated.  Commands are: " + names);
    return true;
}

} // namespace ftp
