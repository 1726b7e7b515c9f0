// Texts set from per-character glyphs must come out exactly as the shaper sets them: the same
// glyphs at the same positions with the same advance, in every font, kerned pairs included;
// whatever the composer cannot set it must refuse rather than set differently.
#include "ombrel/platform/qt/QtGlyphComposer.h"
#include "ombrel/platform/qt/QtLineLayout.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <string>
#include <vector>

using namespace Ombrel;

namespace {

// Characters a composed text may hold, and a few it may not (a combining mark, a soft hyphen,
// a right-to-left letter), so that refusals are exercised too.
const std::u16string kAlphabet =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;-+/%'\"()&@#!?"
    u"\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF\u00E9\u00E8\u00E7\u00F1\u00C5\u00F8\u00A0"
    u"\u2026\u20AC\u2013\u2014\u2018\u2019\u201C\u201D\u2022\u2212"
    u"\u0301\u00AD\u05D0";

// Texts that pair kerned letters, ligature candidates and punctuation.
const std::vector<QString> kWords = {
    QStringLiteral("Wavy Tea, AV"),         QStringLiteral("Yo, T.V. L'Avenue"),
    QStringLiteral("office fluff"),         QStringLiteral("Row 0001234"),
    QStringLiteral("  spaced  "),           QStringLiteral("Caf\u00E9 Z\u00FCrich \u2014 12 \u20AC"),
    QStringLiteral("\u201CQuoted\u201D\u2026"), QStringLiteral("P.O. Box 7, Warsaw"),
    QStringLiteral(""),
};

std::vector<QFont> Fonts()
{
    QFont plain = QGuiApplication::font();
    QFont serif(QStringLiteral("DejaVu Serif"), 11);
    QFont bold = plain;
    bold.setBold(true);
    QFont italic(QStringLiteral("DejaVu Sans"), 15);
    italic.setItalic(true);
    QFont underlined = plain;
    underlined.setUnderline(true);
    underlined.setStrikeOut(true);
    QFont unkerned = plain;
    unkerned.setKerning(false);
    return {plain, serif, bold, italic, underlined, unkerned};
}

std::vector<QString> RandomTexts(int count)
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> letter(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<int> length(1, 14);
    std::vector<QString> texts;
    for (int i = 0; i < count; ++i) {
        QString text;
        for (int n = length(random); n > 0; --n)
            text.append(QChar(kAlphabet[letter(random)]));
        texts.push_back(text);
    }
    return texts;
}

// The shaper's glyphs of `text` as one list of (index, position), across its runs.
struct Placed
{
    std::vector<quint32> indexes;
    std::vector<QPointF> positions;
};

Placed Flatten(const QList<QGlyphRun>& runs)
{
    Placed placed;
    for (const QGlyphRun& run : runs) {
        for (const quint32 index : run.glyphIndexes())
            placed.indexes.push_back(index);
        for (const QPointF& position : run.positions())
            placed.positions.push_back(position);
    }
    return placed;
}

QImage Draw(const QList<QGlyphRun>& runs)
{
    QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    for (const QGlyphRun& run : runs)
        painter.drawGlyphRun(QPointF(3, 4), run);
    return image;
}

} // namespace

TEST(GlyphComposerTest, ComposedTextsAreTheShapersGlyphsAtTheShapersPositions)
{
    std::vector<QString> texts = RandomTexts(600);
    texts.insert(texts.end(), kWords.begin(), kWords.end());
    for (const QFont& font : Fonts()) {
        CGlyphComposer composer(font);
        int composed = 0;
        for (const QString& text : texts) {
            CGlyphComposer::Line line;
            if (!composer.Compose(text, line))
                continue;
            ++composed;
            const LaidOutLine shaped = LayOutLine(text, font);
            ASSERT_TRUE(shaped.valid);
            const Placed expected = Flatten(shaped.runs);
            const Placed actual = Flatten(text.isEmpty() ? QList<QGlyphRun>{} : QList{line.run});
            EXPECT_EQ(actual.indexes, expected.indexes) << text.toStdString() << " in " << font.key().toStdString();
            EXPECT_EQ(actual.positions, expected.positions) << text.toStdString();
            EXPECT_EQ(line.advance, shaped.advance) << text.toStdString();
            qreal measured = -1;
            EXPECT_TRUE(composer.Measure(text, measured));
            EXPECT_EQ(measured, line.advance);
            // The same text from its UTF-8 bytes, as plain glyphs on the 1/64-pixel grid.
            const QByteArray utf8 = text.toUtf8();
            std::vector<FixedGlyph> glyphs;
            qreal advance = -1;
            QRect ink;
            ASSERT_TRUE(composer.ComposeGlyphs(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                                               glyphs, advance, ink))
                << text.toStdString();
            EXPECT_EQ(advance, line.advance);
            // The ink box may be rounded outwards by a pixel, never inwards: it decides only
            // whether a text needs cutting to its cell.
            const QRect exact = line.ink.toAlignedRect();
            EXPECT_TRUE(exact.isEmpty() ? ink.isEmpty() : ink.contains(exact)) << text.toStdString();
            EXPECT_TRUE(exact.isEmpty() || exact.adjusted(-1, -1, 1, 1).contains(ink)) << text.toStdString();
            Placed fixed;
            for (const FixedGlyph& glyph : glyphs) {
                fixed.indexes.push_back(glyph.index);
                fixed.positions.emplace_back(qreal(glyph.x) / FixedGlyph::kUnit, qreal(glyph.y) / FixedGlyph::kUnit);
            }
            EXPECT_EQ(fixed.indexes, expected.indexes) << text.toStdString();
            EXPECT_EQ(fixed.positions, expected.positions) << text.toStdString();
            if (!text.isEmpty()) {
                // Decorations (underline, strike-out) travel with the run's flags.
                EXPECT_EQ(Draw({line.run}), Draw(shaped.runs)) << text.toStdString();
            }
        }
        // Most random texts hold a character the composer refuses; the rest must be many.
        EXPECT_GT(composed, 100) << font.key().toStdString();
    }
}

TEST(GlyphComposerTest, RefusesWhatTheShaperSetsOtherwise)
{
    CGlyphComposer composer(QGuiApplication::font());
    CGlyphComposer::Line line;
    EXPECT_FALSE(composer.Compose(QStringLiteral("e\u0301"), line));    // a combining mark
    EXPECT_FALSE(composer.Compose(QStringLiteral("co\u00ADop"), line)); // a soft hyphen
    EXPECT_FALSE(composer.Compose(QStringLiteral("a\tb"), line));       // a control
    EXPECT_FALSE(composer.Compose(QStringLiteral("\u05D0\u05D1"), line)); // right to left
    // A pair the font joins into one glyph is left to the shaper; where the font has no such
    // ligature the text is composed, and then exactly as shaped (checked above).
    const LaidOutLine ligature = LayOutLine(QStringLiteral("fi"), QGuiApplication::font());
    if (Flatten(ligature.runs).indexes.size() == 1) {
        EXPECT_FALSE(composer.Compose(QStringLiteral("office"), line));
    }
}

// Bytes that are not UTF-8 show as replacement characters, which are never composed; a text
// holding them must be refused from its bytes, not decoded into something else.
TEST(GlyphComposerTest, BytesThatAreNotUtf8AreRefused)
{
    CGlyphComposer composer(QGuiApplication::font());
    std::vector<FixedGlyph> glyphs;
    qreal advance = 0;
    QRect ink;
    ASSERT_TRUE(composer.ComposeGlyphs("Row 1 \xC3\xA9 \xE2\x80\xA6", glyphs, advance, ink));
    for (const std::string bytes : {"A\x80", "\xC1\x81", "\xC3", "\xE2\x80", "\xE0\x80\xAE",
                                    "\xED\xA0\x80", "\xF0\x9F\x98\x80", "\xFF"}) {
        EXPECT_FALSE(composer.ComposeGlyphs(bytes, glyphs, advance, ink)) << bytes;
    }
}

TEST(GlyphComposerTest, RightToLeftApplicationsLeaveNeutralTextToTheShaper)
{
    CGlyphComposer composer(QGuiApplication::font());
    CGlyphComposer::Line line;
    ASSERT_TRUE(composer.Compose(QStringLiteral("12:30"), line));
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    const bool composed = composer.Compose(QStringLiteral("12:30"), line);
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_FALSE(composed);
}
