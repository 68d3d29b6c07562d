#pragma once
// The web engine's set-up: its switches, chosen before the application,
// and the one profile both panes share.
class QWebEngineProfile;

namespace platform {

// Before QApplication: chooses how the web engine draws and runs its pages
// (unless the user chose through the usual variables). Qt WebEngine refuses
// to start as root with its sandbox on: keeps the sandbox for normal users;
// for root turns it off and says so once.
void PrepareWebEngine();

// The one web profile both panes share (cookies and storage for chat rooms).
QWebEngineProfile* SharedWebProfile();

} // namespace platform
