#include "ombrel/base/Geometry.h"

#include <gtest/gtest.h>

namespace Ombrel {
namespace {

TEST(GeometryTest, RightAndBottomEdgesAreExclusive)
{
    const CRect r(10, 20, 30, 40);
    EXPECT_TRUE(r.PtInRect({10, 20}));
    EXPECT_TRUE(r.PtInRect({29, 39}));
    EXPECT_FALSE(r.PtInRect({30, 39}));
    EXPECT_FALSE(r.PtInRect({29, 40}));
    EXPECT_EQ(r.Size(), CSize(20, 20));
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
}

TEST(GeometryTest, IntersectionOfDisjointOrTouchingRectsIsEmptyAndZeroed)
{
    CRect out(1, 2, 3, 4);
    EXPECT_FALSE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(10, 0, 20, 10)));
    EXPECT_TRUE(out.IsRectNull());
    EXPECT_TRUE(out.IntersectRect(CRect(0, 0, 10, 10), CRect(5, -5, 20, 5)));
    EXPECT_EQ(out, CRect(5, 0, 10, 5));
}

TEST(GeometryTest, UnionIgnoresEmptyRects)
{
    CRect out;
    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 0, 100), CRect(5, 5, 10, 10)));
    EXPECT_EQ(out, CRect(5, 5, 10, 10));
    EXPECT_TRUE(out.UnionRect(CRect(0, 0, 2, 2), CRect(5, 5, 10, 10)));
    EXPECT_EQ(out, CRect(0, 0, 10, 10));
    EXPECT_FALSE(out.UnionRect(CRect(), CRect(3, 3, 3, 3)));
}

TEST(GeometryTest, InflateDeflateAndNormalize)
{
    CRect r(10, 10, 20, 20);
    r.InflateRect(1, 2);
    EXPECT_EQ(r, CRect(9, 8, 21, 22));
    r.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(r, CRect(10, 10, 18, 18));
    r.OffsetRect(-10, 5);
    EXPECT_EQ(r, CRect(0, 15, 8, 23));
    CRect flipped(8, 9, 2, 3);
    flipped.NormalizeRect();
    EXPECT_EQ(flipped, CRect(2, 3, 8, 9));
}

} // namespace
} // namespace Ombrel
