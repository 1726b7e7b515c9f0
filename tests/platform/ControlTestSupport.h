#pragma once

// Helpers for tests of hooks, controls and dialogs: a hook that records and may answer the
// messages it sees, and a parent window that collects its controls' notifications.

#include "RecordingWnd.h"

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/WindowHook.h"

#include <functional>
#include <vector>

namespace Ombrel::Test {

class CRecordingHook : public CWindowHook
{
public:
    // Answers a message instead of passing it on: return true to swallow it with `result`.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> swallow;
    std::vector<UINT> seen;
    std::vector<MSG> seenMessages;

    int Count(UINT message) const
    {
        return static_cast<int>(std::count(seen.begin(), seen.end(), message));
    }
    LRESULT PassOn(UINT message, WPARAM wParam, LPARAM lParam) { return CallNext(message, wParam, lParam); }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(message);
        seenMessages.push_back(MSG{GetHookedWindow(), message, wParam, lParam, 0, {}});
        LRESULT result = 0;
        if (swallow && swallow(message, wParam, lParam, result))
            return result;
        return CallNext(message, wParam, lParam);
    }
};

// The notification codes a parent got through WM_COMMAND from control `id`, in order.
inline std::vector<UINT> CommandCodes(const CRecordingWnd& parent, UINT id)
{
    std::vector<UINT> codes;
    for (const MSG& msg : parent.Received(WM_COMMAND)) {
        if (LOWORD(msg.wParam) == id)
            codes.push_back(HIWORD(msg.wParam));
    }
    return codes;
}

inline int CountCode(const CRecordingWnd& parent, UINT id, UINT code)
{
    std::vector<UINT> codes = CommandCodes(parent, id);
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

} // namespace Ombrel::Test
