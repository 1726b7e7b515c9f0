#pragma once

// A window for tests that records every message it receives and lets a test answer them.

#include "ombrel/platform/Wnd.h"

#include <functional>
#include <vector>

namespace Ombrel::Test {

class CRecordingWnd : public CWnd
{
public:
    // Answers a message; return true when handled, with the result in `result`.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> onMessage;
    std::function<void()> onPaint;
    std::function<bool(MSG&)> onPreTranslate;
    std::vector<MSG> received; // on the window thread only

    std::vector<MSG> Received(UINT message) const
    {
        std::vector<MSG> matching;
        for (const MSG& msg : received) {
            if (msg.message == message)
                matching.push_back(msg);
        }
        return matching;
    }
    int Count(UINT message) const { return static_cast<int>(Received(message).size()); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back(MSG{this, message, wParam, lParam, 0, {}});
        LRESULT result = 0;
        if (onMessage && onMessage(message, wParam, lParam, result))
            return result;
        return CWnd::WindowProc(message, wParam, lParam);
    }

    bool PreTranslateMessage(MSG* msg) override { return onPreTranslate && onPreTranslate(*msg); }

    void OnPaint() override
    {
        if (onPaint)
            onPaint();
        else
            CWnd::OnPaint();
    }
};

} // namespace Ombrel::Test
