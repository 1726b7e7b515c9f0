#pragma once

// Helpers of the painting tests: a data class with a text, an integer and a floating-point
// field, and a memory canvas whose pixels can be read back.

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"

#include <cstdint>
#include <string>

namespace Ombrel::GUI::PaintTesting {

enum Field : std::int32_t
{
    kNameField = 1,
    kAmountField = 2,
    kPriceField = 3,
};

class CPaintSample : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CPaintSample(std::string name, std::int32_t amount) : m_name(std::move(name)), m_amount(amount)
    {
    }
    ~CPaintSample() override { NotifyDestroy(); }

    std::string GetName() const { return m_name; }
    std::int32_t GetAmount() const { return m_amount; }
    double GetPrice() const { return m_price; }
    void SetName(const std::string& value) { m_name = value; }
    void SetAmount(std::int32_t value) { m_amount = value; }

private:
    std::string m_name;
    std::int32_t m_amount = 0;
    double m_price = 1.5;
};

// A memory device context drawing into a 32-bit bitmap, filled with one colour at first.
class CCanvas
{
public:
    CCanvas(int width, int height, COLORREF fill);
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    CDC& DC() { return m_dc; }
    COLORREF At(int x, int y) const { return m_dc.GetPixel(x, y); }
    // How many pixels of the row y (columns x from `left` to `right`, excluded) have `color`.
    int CountInRow(int y, int left, int right, COLORREF color) const;

private:
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_previous = nullptr;
};

// Whether a pixel differs clearly from `background` (text ink, lines).
bool IsInk(COLORREF pixel, COLORREF background);
// Leftmost and rightmost column with ink inside `band`; {-1, -1} without any.
std::pair<int, int> InkExtent(const CCanvas& canvas, const CRect& band, COLORREF background);

} // namespace Ombrel::GUI::PaintTesting
