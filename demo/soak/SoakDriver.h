#pragma once

#include <cstdint>
#include <memory>

#include "ombrel/Platform.h"

namespace Ombrel::GUI {
class CGrid;
}

namespace Ombrel::Demo {

// Drives a grid the way a long working day would, for the soak test (`make soak`):
//
//   window thread, every kStepMs    scroll to a random row; every few seconds select a row
//                                   and copy the selection to the clipboard, switch a row
//                                   filter on or off, or change the sort levels
//   churn worker                    creates objects and adds them through the grid's
//                                   cross-thread path, changes them, and deletes the oldest
//                                   (their rows leave synchronously on the window thread),
//                                   keeping at most kChurnPoolSize alive
//   window thread, every minute     prints the process's resident memory and the counts
//
// The worker's grid calls and deletions block until the window thread has run them, so Stop
// keeps the window thread's messages flowing while it waits for the worker; call it (on the
// window thread) before the grid's window goes.
class CSoakDriver : public CWnd
{
public:
    static constexpr unsigned kStepMs = 100;
    static constexpr unsigned kReportMs = 60'000;
    static constexpr int kChurnPoolSize = 500;

    // The grid must outlive the driver's Stop.
    explicit CSoakDriver(GUI::CGrid& grid);
    ~CSoakDriver() override; // stops first
    CSoakDriver(const CSoakDriver&) = delete;
    CSoakDriver& operator=(const CSoakDriver&) = delete;

    // Creates the driver's hidden window, its timers and the churn worker; false when it
    // runs already or the window cannot be created.
    bool Start();
    // Ends the worker (serving the window thread's messages meanwhile), deletes the objects it
    // still owns and kills the timers. Prints the final report once.
    void Stop();

    void OnTimer(UINT_PTR id) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Demo
