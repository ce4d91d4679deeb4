// What drives the editor's window between the host's calls, per system.
// Linux: the host watches the X connection's file descriptor and calls us
// when it is readable. Windows: a timer on the editor's own window.
//
// Main (user-interface) thread only.
#pragma once

namespace sorvane::clap {

// The file descriptor of the connection the editor's window reads its
// events from; -1 where there is none (Windows, or an editor without a
// display).
int windowConnectionFd(void* systemWindow);

// Calls tick(context) every periodMs on the thread that owns window, until
// stopWindowTimer; false where the system has no such timer (Linux).
bool startWindowTimer(void* systemWindow, unsigned periodMs, void (*tick)(void*), void* context);
void stopWindowTimer(void* systemWindow);

}  // namespace sorvane::clap
