#pragma once

#include "ombrel/platform/Messages.h"

#include <cstdint>

// Messages between windows and threads.
//
// Every window belongs to the thread that created it (its window thread); its messages are
// handled there. Each thread that owns windows has one message queue:
//   - SendMessage to a window of the calling thread calls its window procedure directly; to a
//     window of another thread it queues the message, wakes that thread and blocks until the
//     message has been handled there, returning its result. While blocked, the sender keeps
//     handling messages that other threads send to its own windows, so two threads that send
//     to each other's windows do not deadlock.
//   - PostMessage appends to the window thread's queue and returns at once; messages posted
//     to one thread are handled in the order they were posted.
// The window thread of every QWidget-backed window is the thread that runs the application
// object; message-only windows may belong to any thread that runs a message loop
// (MessageLoop.h).

namespace Ombrel {

// Process-wide identifier for a message name, the same for every call with that name
// (compared without regard to ASCII case), from 0xC000 up. 0 for a null or empty name or when
// the 16384 identifiers are used up.
UINT RegisterWindowMessage(const char* name);

// True while `window` is a created window that has not been destroyed.
bool IsWindow(const CWnd* window);

// Identifier (GetCurrentThreadId) of the thread that owns the window; 0 when it is no window.
std::uint32_t GetWindowThreadProcessId(const CWnd* window, std::uint32_t* processId = nullptr);

// Sends a message and waits for its result (see above). Returns 0 without waiting when the
// window does not exist or its thread has ended; a sender waiting on a window that is
// destroyed, or whose thread ends, before the message was handled is released with 0.
LRESULT SendMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Queues a message for the window's thread. False (and nothing queued) when the window does
// not exist or its thread has ended. Messages still queued for a window when it is destroyed
// are discarded.
bool PostMessage(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Window classes: a process-wide set of class names with their class styles (CS_*).
// Registering a name twice fails and keeps the first registration.
bool RegisterWindowClass(const char* className, UINT classStyle);
bool IsWindowClassRegistered(const char* className);
// The class style of a registered class, or 0.
UINT GetWindowClassStyle(const char* className);
// The class used when a window is created without a class name.
constexpr const char* kDefaultWindowClass = "Ombrel.Window";

} // namespace Ombrel
