// Drawing through a window's paint device context: the same pixels as on a memory bitmap.

#include "RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Messages.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/Pen.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <functional>
#include <gtest/gtest.h>

using namespace Ombrel;
using namespace Ombrel::Test;

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 80;

// A picture with single-pixel detail: a gradient, a dotted line, a frame and text.
void DrawPicture(CDC& dc)
{
    const TRIVERTEX corners[] = {{0, 0, 0xFF00, 0x8000, 0, 0},
                                 {kWidth, kHeight, 0, 0x4000, 0xFF00, 0}};
    const GRADIENT_RECT rect{0, 1};
    dc.GradientFill(corners, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    CPen dots(PS_ALTERNATE, 1, RGB(255, 255, 255));
    CPen* old = dc.SelectObject(&dots);
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(3, 40);
    dc.LineTo(117, 40);
    dc.SelectObject(old);
    dc.Draw3dRect(CRect(10, 10, 50, 30), RGB(255, 255, 255), RGB(0, 0, 0));
    CRect text(5, 50, 115, 75);
    dc.DrawText("Ombrel grid", text, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

class PaintDCDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "drawing", WS_POPUP | WS_VISIBLE,
                                      CRect(50, 50, 50 + kWidth, 50 + kHeight), nullptr, 0));
        m_window.onMessage = [](UINT message, WPARAM, LPARAM, LRESULT& result) {
            if (message != WM_ERASEBKGND) {
                return false;
            }
            result = 1; // the paint handler covers everything
            return true;
        };
    }

    void TearDown() override { m_window.DestroyWindow(); }

    CRecordingWnd m_window;
};

TEST_F(PaintDCDrawingTest, MemoryBitmapBlittedToTheWindowShowsTheSamePixels)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight));
    {
        CDC memory;
        memory.CreateCompatibleDC(nullptr);
        memory.SelectObject(&bitmap);
        DrawPicture(memory);
    }
    m_window.onPaint = [&] {
        CPaintDC dc(&m_window);
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        memory.SelectObject(&bitmap);
        dc.BitBlt(0, 0, kWidth, kHeight, &memory, 0, 0, SRCCOPY);
    };
    const QImage shown = Grab(m_window).convertToFormat(QImage::Format_RGB32);
    const QImage drawn = GetImage(bitmap).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), drawn.size());
    EXPECT_EQ(shown, drawn);
}

TEST_F(PaintDCDrawingTest, DrawingOnTheWindowHitsThePixelsOfAMemoryBitmap)
{
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    {
        CDC memory;
        memory.CreateCompatibleDC(nullptr);
        memory.SelectObject(&bitmap);
        DrawPicture(memory);
    }
    int dpi = 0;
    m_window.onPaint = [&] {
        CPaintDC dc(&m_window);
        DrawPicture(dc);
        dpi = dc.GetDeviceCaps(LOGPIXELSY);
    };
    const QImage shown = Grab(m_window).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, GetImage(bitmap).convertToFormat(QImage::Format_RGB32));
    EXPECT_GT(dpi, 0);
}

} // namespace
