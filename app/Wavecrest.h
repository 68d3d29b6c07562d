#pragma once
// The whole program: installs the real platform services, runs the
// start-up dispatch and the event loop while a window is loaded.
int RunWavecrest(int argc, char** argv);
