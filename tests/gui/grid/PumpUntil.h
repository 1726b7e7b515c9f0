#pragma once

#include <chrono>

#include "ombrel/platform/MessageLoop.h"

namespace Ombrel::GUI::Testing {

// Handles the calling thread's messages until `done` holds or `limit` has passed; false on
// timeout. Tests wait for deliveries with it instead of sleeping.
template <class Condition>
bool PumpUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        PumpMessagesFor(10);
    }
    return true;
}

} // namespace Ombrel::GUI::Testing
