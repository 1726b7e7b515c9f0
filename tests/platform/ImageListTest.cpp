#include "ombrel/platform/ImageList.h"

#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace Ombrel;

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A 4 x 4 picture: left half `left`, right half `right`.
void Paint(CBitmap& bitmap, int width, COLORREF left, COLORREF right)
{
    bitmap.CreateCompatibleBitmap(nullptr, width, 4);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    dc.FillSolidRect(CRect(0, 0, width / 2, 4), left);
    dc.FillSolidRect(CRect(width / 2, 0, width, 4), right);
}

class ImageListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_target.CreateCompatibleBitmap(nullptr, 16, 16));
        m_dc.CreateCompatibleDC(nullptr);
        m_dc.SelectObject(&m_target);
        m_dc.FillSolidRect(CRect(0, 0, 16, 16), kRed);
    }

    CBitmap m_target;
    CDC m_dc;
};

TEST_F(ImageListTest, ABitmapAddsOneImagePerSliceOfTheImageWidth)
{
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32, 4, 4));
    CBitmap strip;
    Paint(strip, 8, kGreen, kBlue); // two images: green, blue
    EXPECT_EQ(list.Add(&strip, nullptr), 0);
    EXPECT_EQ(list.Add(&strip, nullptr), 2);
    EXPECT_EQ(list.GetImageCount(), 4);
    IMAGEINFO info;
    ASSERT_TRUE(list.GetImageInfo(1, &info));
    EXPECT_EQ(info.rcImage, CRect(4, 0, 8, 4));
    EXPECT_FALSE(list.GetImageInfo(4, &info));

    EXPECT_TRUE(list.Draw(&m_dc, 1, CPoint(2, 2), ILD_NORMAL));
    EXPECT_EQ(m_dc.GetPixel(2, 2), kBlue);
    EXPECT_EQ(m_dc.GetPixel(5, 5), kBlue);
    EXPECT_EQ(m_dc.GetPixel(6, 6), kRed);
    EXPECT_FALSE(list.Draw(&m_dc, 4, CPoint(0, 0), ILD_NORMAL));
    EXPECT_FALSE(list.Draw(nullptr, 0, CPoint(0, 0), ILD_NORMAL));

    CBitmap narrow;
    Paint(narrow, 2, kGreen, kGreen);
    EXPECT_EQ(list.Add(&narrow, nullptr), -1);
    EXPECT_TRUE(list.Remove(0));
    EXPECT_EQ(list.GetImageCount(), 3);
}

TEST_F(ImageListTest, KeyColourAndMaskMakePixelsTransparent)
{
    CImageList list;
    ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1));
    CBitmap keyed;
    Paint(keyed, 4, kKey, kGreen);
    ASSERT_EQ(list.Add(&keyed, kKey), 0);

    CBitmap picture;
    Paint(picture, 4, kBlue, kBlue);
    CBitmap mask;
    Paint(mask, 4, RGB(0, 0, 0), RGB(255, 255, 255)); // right half transparent
    ASSERT_EQ(list.Add(&picture, &mask), 1);

    list.Draw(&m_dc, 0, CPoint(0, 0), ILD_TRANSPARENT);
    EXPECT_EQ(m_dc.GetPixel(0, 0), kRed);
    EXPECT_EQ(m_dc.GetPixel(3, 0), kGreen);

    list.Draw(&m_dc, 1, CPoint(8, 8), ILD_TRANSPARENT);
    EXPECT_EQ(m_dc.GetPixel(8, 8), kBlue);
    EXPECT_EQ(m_dc.GetPixel(11, 8), kRed);

    // ILD_NORMAL shows the list's background colour under transparent pixels.
    list.SetBkColor(RGB(1, 2, 3));
    list.Draw(&m_dc, 1, CPoint(8, 8), ILD_NORMAL);
    EXPECT_EQ(m_dc.GetPixel(11, 8), RGB(1, 2, 3));
}

TEST_F(ImageListTest, DragImageFollowsThePointerWithItsHotSpot)
{
    CImageList list;
    list.Create(4, 4, ILC_COLOR32, 1, 1);
    CBitmap picture;
    Paint(picture, 4, kBlue, kGreen);
    list.Add(&picture, nullptr);

    EXPECT_FALSE(CImageList::DragMove(CPoint(0, 0))); // nothing entered yet
    ASSERT_TRUE(list.BeginDrag(0, CPoint(1, 2)));
    ASSERT_TRUE(CImageList::DragEnter(nullptr, CPoint(100, 50)));
    QWidget* window = GetDragImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->pos(), QPoint(99, 48));
    EXPECT_EQ(window->size(), QSize(4, 4));

    EXPECT_TRUE(CImageList::DragMove(CPoint(120, 70)));
    EXPECT_EQ(window->pos(), QPoint(119, 68));

    EXPECT_TRUE(CImageList::DragLeave(nullptr));
    EXPECT_EQ(GetDragImageWindow(), nullptr);
    CImageList::EndDrag();
    EXPECT_FALSE(CImageList::DragEnter(nullptr, CPoint(0, 0)));
    EXPECT_FALSE(list.BeginDrag(3, CPoint(0, 0)));
}

TEST_F(ImageListTest, DragImageIsTranslucentTakesNoFocusAndEndingWhileShownRemovesIt)
{
    CImageList list;
    list.Create(4, 4, ILC_COLOR32, 1, 1);
    CBitmap picture;
    Paint(picture, 4, kBlue, kGreen);
    list.Add(&picture, nullptr);

    QWidget* active = QApplication::activeWindow();
    ASSERT_TRUE(list.BeginDrag(0, CPoint(0, 0)));
    ASSERT_TRUE(CImageList::DragEnter(nullptr, CPoint(10, 10)));
    QWidget* window = GetDragImageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(QApplication::activeWindow(), active) << "showing the drag image activates nothing";
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const int alpha = qAlpha(shown.pixel(1, 1));
    EXPECT_GT(alpha, 0);
    EXPECT_LT(alpha, 255) << "what lies under the drag image must show through";

    CImageList::EndDrag(); // without DragLeave first
    EXPECT_EQ(GetDragImageWindow(), nullptr);
    EXPECT_FALSE(CImageList::DragMove(CPoint(20, 20)));
}

} // namespace
