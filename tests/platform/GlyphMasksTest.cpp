// Text blended from glyph masks must set exactly the pixels QPainter::drawGlyphRun sets, in
// every font, colour, subpixel offset and clip; what it cannot draw exactly it must refuse
// without touching a pixel.
#include "ombrel/platform/qt/QtGlyphMasks.h"
#include "ombrel/platform/qt/QtLineLayout.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Ombrel;

namespace {

const QString kAlphabet = QStringLiteral(
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;-+/%'\"()&@#!?"
    "\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF\u00E9\u00E7\u00F1\u2026\u20AC\u2014");

std::vector<QFont> Fonts()
{
    QFont plain = QGuiApplication::font();
    QFont serif(QStringLiteral("DejaVu Serif"), 11);
    QFont bold = plain;
    bold.setBold(true);
    QFont large(QStringLiteral("DejaVu Sans"), 22);
    large.setItalic(true);
    QFont aliased = plain;
    aliased.setStyleStrategy(QFont::NoAntialias);
    return {plain, serif, bold, large, aliased};
}

// A cell's look: one colour, crossed by a line of another, so that blends over the common
// background and over anything else both show.
QImage SolidBackground(QSize size, QRgb color)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    for (int x = 0; x < image.width(); ++x)
        image.setPixel(x, size.height() / 2, qRgb(0x30, 0x60, 0x90));
    return image;
}

QImage Background(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    // Stripes of light, dark and mid tones, so that every blend weight shows.
    for (int y = 0; y < image.height(); ++y) {
        const int tone = (y * 37) % 256;
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(tone, (x * 11) % 256, 255 - tone));
    }
    return image;
}

QGlyphRun FirstRun(const QString& text, const QFont& font)
{
    const LaidOutLine line = LayOutLine(text, font);
    return line.runs.isEmpty() ? QGlyphRun() : line.runs.first();
}

} // namespace

TEST(GlyphMasksTest, BlendedTextHasThePaintersPixelsAtEveryOffsetColourAndClip)
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<qsizetype> letter(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<int> length(1, 16);
    std::uniform_int_distribution<int> sixtyFourths(0, 63);
    std::uniform_int_distribution<int> channel(0, 255);
    int blended = 0;
    for (const QFont& font : Fonts()) {
        for (int sample = 0; sample < 60; ++sample) {
            QString text;
            for (int n = length(random); n > 0; --n)
                text.append(kAlphabet[letter(random)]);
            const QGlyphRun run = FirstRun(text, font);
            if (run.glyphIndexes().isEmpty())
                continue;
            CGlyphMasks masks(run.rawFont());
            const QRgb cellColor = qRgb(channel(random), channel(random), channel(random));
            const QImage background = sample % 2 == 0 ? SolidBackground(QSize(260, 48), cellColor)
                                                      : Background(QSize(260, 48));
            const QPointF origin(6 + sixtyFourths(random) / 64.0, 4 + sample % 3);
            const QRgb color = qRgb(channel(random), channel(random), channel(random));
            // Every third text is cut by a clip rectangle through its middle.
            const QRect clip = sample % 3 == 0 ? QRect(20, 10, 60, 20) : background.rect();

            QImage expected = background;
            {
                QPainter painter(&expected);
                painter.setClipRect(clip);
                painter.setPen(QColor(color));
                painter.drawGlyphRun(origin, run);
            }
            QImage actual = background;
            ASSERT_TRUE(masks.Blend(run, origin, color, actual, QRegion(clip)))
                << text.toStdString() << " in " << font.family().toStdString();
            ASSERT_EQ(actual, expected) << text.toStdString() << " in "
                                        << font.toString().toStdString() << " at "
                                        << origin.x();
            ++blended;
        }
    }
    EXPECT_GT(blended, 200);
}

TEST(GlyphMasksTest, RunsItCannotDrawExactlyAreRefusedUntouched)
{
    const QFont font = QGuiApplication::font();
    const QGlyphRun run = FirstRun(QStringLiteral("Refused"), font);
    ASSERT_FALSE(run.glyphIndexes().isEmpty());
    QFont other(QStringLiteral("DejaVu Serif"), 17);
    CGlyphMasks otherFace(FirstRun(QStringLiteral("x"), other).rawFont());
    CGlyphMasks ownFace(run.rawFont());
    const QImage background = Background(QSize(200, 40));
    QImage image = background;
    const QRegion all(image.rect());

    EXPECT_FALSE(otherFace.Blend(run, QPointF(4, 4), qRgb(0, 0, 0), image, all));
    // Left of the bitmap's origin, and between two 1/64-pixel steps.
    EXPECT_FALSE(ownFace.Blend(run, QPointF(-3, 4), qRgb(0, 0, 0), image, all));
    EXPECT_FALSE(ownFace.Blend(run, QPointF(4.001, 4), qRgb(0, 0, 0), image, all));
    // A colour that is not opaque.
    EXPECT_FALSE(ownFace.Blend(run, QPointF(4, 4), qRgba(0, 0, 0, 128), image, all));
    QGlyphRun underlined = run;
    underlined.setUnderline(true);
    EXPECT_FALSE(ownFace.Blend(underlined, QPointF(4, 4), qRgb(0, 0, 0), image, all));
    EXPECT_EQ(image, background);
}

// Masks beyond kMaxMasks are all dropped and their memory reused: a run placed before must be
// seen as stale, and placed again it must blend the painter's pixels.
TEST(GlyphMasksTest, RunsPlacedBeforeTheMasksWereDroppedArePlacedAgain)
{
    const QFont font = QGuiApplication::font();
    const QGlyphRun run = FirstRun(QStringLiteral("Wavy 8,5"), font);
    ASSERT_FALSE(run.glyphIndexes().isEmpty());
    CGlyphMasks masks(run.rawFont());
    std::vector<FixedGlyph> glyphs;
    ASSERT_TRUE(masks.FixedGlyphsOf(run, QPointF(0, 0), glyphs));
    std::vector<CGlyphMasks::PlacedRun::Glyph> storage(glyphs.size());
    CGlyphMasks::PlacedRun placed;
    ASSERT_TRUE(masks.Place(glyphs, storage.data(), placed));

    // One glyph at every pair of fractions: as many masks as are kept, so the first ones go.
    std::vector<FixedGlyph> everyOffset;
    for (int y = 0; y < FixedGlyph::kUnit; ++y) {
        for (int x = 0; x < FixedGlyph::kUnit; ++x) {
            everyOffset.push_back(FixedGlyph{glyphs.front().index, 2 * FixedGlyph::kUnit + x, 20 * FixedGlyph::kUnit + y});
        }
    }
    ASSERT_EQ(everyOffset.size(), CGlyphMasks::kMaxMasks);
    std::vector<CGlyphMasks::PlacedRun::Glyph> manyStorage(everyOffset.size());
    CGlyphMasks::PlacedRun many;
    ASSERT_TRUE(masks.Place(everyOffset, manyStorage.data(), many));
    EXPECT_FALSE(masks.IsCurrent(placed));

    ASSERT_TRUE(masks.Place(glyphs, storage.data(), placed));
    const QImage background = Background(QSize(200, 40));
    QImage expected = background;
    {
        QPainter painter(&expected);
        painter.setPen(QColor(qRgb(0x10, 0x20, 0x30)));
        painter.drawGlyphRun(QPointF(5, 4), run);
    }
    QImage actual = background;
    ASSERT_TRUE(CGlyphMasks::BlendPlaced(placed, QPoint(5, 4), qRgb(0x10, 0x20, 0x30), actual,
                                         QRegion(actual.rect())));
    EXPECT_EQ(actual, expected);
}
