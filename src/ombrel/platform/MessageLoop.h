#pragma once

#include <cstdint>

// Running a thread's message loop.
//
// On the thread that runs the application object the loop is the application's event loop;
// on any other thread it is a plain loop over that thread's message queue (sent messages,
// posted messages and timers of the thread's message-only windows). A worker thread that
// owns windows, or that other threads send messages to, runs RunMessageLoop or calls
// PumpMessages from time to time.

namespace Ombrel {

// Handles messages until the thread is asked to quit; returns the exit code given then.
int RunMessageLoop();

// Handles everything that is pending now (sent and posted messages, due timers and, on the
// application thread, the application's pending events) and returns without waiting.
// False once the thread has been asked to quit.
bool PumpMessages();

// Like PumpMessages, but waits up to `timeoutMs` for the first message when none is pending.
bool PumpMessagesFor(std::uint32_t timeoutMs);

// Asks the calling thread's message loop to return `exitCode`.
void PostQuitMessage(int exitCode);

// Asks the message loop of another thread (GetCurrentThreadId of that thread) to quit. False
// when that thread has no message queue (it never used windows or messages, or it ended).
bool PostQuitToThread(std::uint32_t threadId, int exitCode);

} // namespace Ombrel
