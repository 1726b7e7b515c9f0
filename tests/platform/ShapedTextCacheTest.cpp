// The kept texts of one font: a text found again is the one laid out before, a text laid out in
// an entry reused after the texts were forgotten carries nothing of the entry's last text, and
// the glyphs kept for a composed text are the shaper's.
#include "ombrel/platform/qt/QtShapedTextCache.h"

#include "ombrel/platform/qt/QtLineLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace Ombrel;

namespace {

using Entry = CShapedTextCache::Entry;
using Setting = CShapedTextCache::Setting;

std::vector<quint32> GlyphsOf(CShapedTextCache::CFontTexts& texts, Entry& entry)
{
    std::vector<quint32> glyphs;
    for (const QGlyphRun& run : texts.RunsOf(entry)) {
        for (const quint32 glyph : run.glyphIndexes()) {
            glyphs.push_back(glyph);
        }
    }
    return glyphs;
}

// What a fresh set of texts makes of `utf8`, to compare a reused entry with.
struct Fresh
{
    QString text;
    int width = 0;
    Setting setting = Setting::Lines;
    std::vector<quint32> glyphs;
};

Fresh LaidOutAlone(const QFont& font, const std::string& utf8)
{
    CShapedTextCache::CFontTexts texts(font);
    Entry& entry = texts.Find(utf8);
    return {CShapedTextCache::CFontTexts::TextOf(entry), entry.width, entry.setting, GlyphsOf(texts, entry)};
}

void ExpectLaidOutAsAlone(const QFont& font, const std::string& utf8,
                          CShapedTextCache::CFontTexts& texts, Entry& entry)
{
    EXPECT_EQ(entry.Key(), utf8);
    EXPECT_EQ(entry.elidedFor, -1) << utf8;
    EXPECT_EQ(entry.placed.count, 0u) << utf8;
    EXPECT_EQ(entry.placedStorage, nullptr) << utf8;
    EXPECT_EQ(entry.placedMasks, nullptr) << utf8;
    const Fresh fresh = LaidOutAlone(font, utf8);
    EXPECT_EQ(CShapedTextCache::CFontTexts::TextOf(entry), fresh.text) << utf8;
    EXPECT_EQ(entry.width, fresh.width) << utf8;
    EXPECT_EQ(entry.setting, fresh.setting) << utf8;
    EXPECT_EQ(GlyphsOf(texts, entry), fresh.glyphs) << utf8;
}

} // namespace

TEST(ShapedTextCacheTest, TextsAreFoundByTheirBytesAndConvertedWhateverTheirScript)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    // ASCII, Latin-1, a symbol, a combining mark, a right-to-left word, control characters,
    // an embedded zero byte and the empty text; and prefixes of one another. Bytes that are
    // not UTF-8 (a lone continuation byte, an overlong 'A', a cut sequence) read as Qt reads them.
    const std::vector<std::string> samples = {
        "Row 12", "Row 1", "Row 123", "\xC3\x84pfel", "5 \xE2\x82\xAC", "e\xCC\x81",
        "\xD7\x90\xD7\x91", "tab\there", std::string("a\0b", 3), "", "x\x80y", "\xC1\x81",
        "ab\xE2\x82", "line\xE2\x80\xA8next"};
    for (const std::string& utf8 : samples) {
        const Entry& entry = texts.Find(utf8);
        const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        EXPECT_EQ(CShapedTextCache::CFontTexts::TextOf(entry), text);
        EXPECT_EQ(entry.width, QFontMetrics(font).horizontalAdvance(text)) << utf8;
    }
    EXPECT_EQ(texts.Size(), samples.size());
    for (const std::string& utf8 : samples) {
        EXPECT_EQ(texts.Find(utf8).Key(), utf8);
    }
    EXPECT_EQ(texts.Size(), samples.size()); // found again, not added again
    EXPECT_EQ(texts.Find("Row 1").setting, Setting::Composed);
    EXPECT_EQ(texts.Find("x\x80y").setting, Setting::Shaped);
    EXPECT_EQ(texts.Find("tab\there").setting, Setting::Lines);
    EXPECT_EQ(texts.Find("line\xE2\x80\xA8next").setting, Setting::Lines);
}

// A composed text drawn through the painter (a printer, a widget) is drawn from a run made of
// its glyphs, composed again when other texts came since: it must be the shaper's run.
TEST(ShapedTextCacheTest, ComposedTextsGiveTheShapersRunForThePainter)
{
    QFont kerned(QStringLiteral("DejaVu Serif"), 11);
    QFont underlined(QStringLiteral("DejaVu Sans"), 9);
    underlined.setUnderline(true);
    const std::vector<std::string> samples = {"Wavy Tea, AV", "-1,234.50",
                                              "Caf\xC3\xA9 \xE2\x80\x94 12 \xE2\x82\xAC"};
    for (const QFont& font : {kerned, underlined}) {
        CShapedTextCache::CFontTexts texts(font);
        for (const std::string& utf8 : samples) {
            texts.Find(utf8);
        }
        for (const std::string& utf8 : samples) {
            Entry& entry = texts.Find(utf8);
            ASSERT_EQ(entry.setting, Setting::Composed) << utf8;
            const LaidOutLine shaped = LayOutLine(CShapedTextCache::CFontTexts::TextOf(entry), font);
            ASSERT_EQ(shaped.runs.size(), 1) << utf8;
            const QList<QGlyphRun>& runs = texts.RunsOf(entry);
            ASSERT_EQ(runs.size(), 1) << utf8;
            EXPECT_EQ(runs[0].glyphIndexes(), shaped.runs[0].glyphIndexes()) << utf8;
            EXPECT_EQ(runs[0].positions(), shaped.runs[0].positions()) << utf8;
            EXPECT_EQ(runs[0].flags(), shaped.runs[0].flags()) << utf8;
            EXPECT_EQ(runs[0].rawFont(), shaped.runs[0].rawFont()) << utf8;
            const QRect exact = shaped.runs[0].boundingRect().toAlignedRect();
            EXPECT_TRUE(entry.ink.contains(exact) && exact.adjusted(-1, -1, 1, 1).contains(entry.ink)) << utf8;
            // Decorations are the painter's to draw: such texts are not blended from masks.
            EXPECT_EQ(texts.PlacedOf(entry) == nullptr, font.underline()) << utf8;
        }
    }
}

// A text composed while the application ran left to right is shaped when it must be set again
// after the application turned right to left (its neutral characters then run the other way).
TEST(ShapedTextCacheTest, ComposedTextsSetAgainRightToLeftAreShaped)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    Entry& entry = texts.Find("12:30 (5)");
    ASSERT_EQ(entry.setting, Setting::Composed);
    texts.Find("another text"); // the first one's glyphs must be composed again
    QGuiApplication::setLayoutDirection(Qt::RightToLeft);
    const LaidOutLine shaped = LayOutLine(QStringLiteral("12:30 (5)"), font);
    const QList<QGlyphRun> runs = texts.RunsOf(texts.Find("12:30 (5)"));
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_EQ(entry.setting, Setting::Shaped);
    ASSERT_EQ(runs.size(), shaped.runs.size());
    for (qsizetype i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].glyphIndexes(), shaped.runs[i].glyphIndexes());
        EXPECT_EQ(runs[i].positions(), shaped.runs[i].positions());
    }
}

TEST(ShapedTextCacheTest, TextsBeyondTheLimitStartAfreshInReusedEntries)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    // Every entry gets the state a drawn text leaves: a cut for a width, glyph runs made for
    // the painter and glyphs placed on masks.
    for (std::size_t i = 0; i < CShapedTextCache::kMaxTextsPerFont; ++i) {
        Entry& entry = texts.Find("A long value of row " + std::to_string(i) + " \xE2\x80\x94 kept");
        entry.elidedFor = 40;
        texts.RunsOf(entry);
        ASSERT_NE(texts.PlacedOf(entry), nullptr) << i;
    }
    EXPECT_EQ(texts.Size(), CShapedTextCache::kMaxTextsPerFont);

    // One more forgets them all; shorter texts of other scripts land in the used entries.
    const std::vector<std::string> after = {"7", "\xC3\x84", "Row 1", "\xD7\x90 1", "", "a\tb"};
    for (const std::string& utf8 : after) {
        ExpectLaidOutAsAlone(font, utf8, texts, texts.Find(utf8));
    }
    EXPECT_EQ(texts.Size(), after.size());
    // A forgotten text is laid out again, not found under its old entry.
    const std::string forgotten = "A long value of row 3 \xE2\x80\x94 kept";
    ExpectLaidOutAsAlone(font, forgotten, texts, texts.Find(forgotten));
    EXPECT_EQ(texts.Find("Row 1").Key(), "Row 1");
}

// Regression: a cut remembered for a text that the cut's own lookup forgot must not come back
// with the text's next entry.
TEST(ShapedTextCacheTest, ACutIsRememberedOnlyWithTheTextItWasMadeFor)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    Entry& kept = texts.Find("A rather long value");
    Entry& keptCut = texts.Find("A rath\xE2\x80\xA6");
    texts.RememberCut(kept, 50, keptCut);
    EXPECT_EQ(texts.RememberedCut(texts.Find("A rather long value"), 50), &keptCut);
    EXPECT_EQ(texts.RememberedCut(texts.Find("A rather long value"), 60), nullptr);

    for (std::size_t i = texts.Size(); i < CShapedTextCache::kMaxTextsPerFont - 1; ++i) {
        texts.Find("filler " + std::to_string(i));
    }
    Entry& last = texts.Find("The last long value");
    Entry& cut = texts.Find("The la\xE2\x80\xA6"); // forgets every text, `last` among them
    ASSERT_EQ(texts.Size(), 1u);
    texts.RememberCut(last, 50, cut);
    Entry& again = texts.Find("The last long value");
    EXPECT_EQ(texts.RememberedCut(again, 50), nullptr);
    EXPECT_EQ(texts.Find("The la\xE2\x80\xA6").Key(), "The la\xE2\x80\xA6");
}

// Cell texts may hold any bytes (pasted, loaded): the cache's own reading of UTF-8 must agree
// with Qt's wherever it composes, and refuse the rest, for bytes of every kind.
TEST(ShapedTextCacheTest, AnyBytesAreMeasuredAndSetAsQtReadsThem)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    const QFontMetrics metrics(font);
    // Mostly ASCII letters and lead or continuation bytes of two- and three-byte sequences.
    const unsigned char pieces[] = {'a', 'W', '7', ' ', 0x80, 0xA9, 0xBF, 0xC2, 0xC3, 0xC1,
                                    0xE2, 0xE0, 0xED, 0x82, 0xAC, 0xF0, 0x9F, 0xFF, 0x00, 0x09};
    std::mt19937 random(20261210);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 9);
    int composed = 0;
    for (int sample = 0; sample < 3000; ++sample) {
        std::string utf8;
        for (int n = length(random); n > 0; --n) {
            utf8.push_back(static_cast<char>(pieces[piece(random)]));
        }
        Entry& entry = texts.Find(utf8);
        const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        ASSERT_EQ(CShapedTextCache::CFontTexts::TextOf(entry), text);
        ASSERT_EQ(entry.width, metrics.horizontalAdvance(text)) << sample;
        if (entry.setting != Setting::Composed) {
            continue;
        }
        ++composed;
        const LaidOutLine shaped = LayOutLine(text, font);
        std::vector<quint32> expected;
        for (const QGlyphRun& run : shaped.runs) {
            for (const quint32 glyph : run.glyphIndexes()) {
                expected.push_back(glyph);
            }
        }
        ASSERT_EQ(GlyphsOf(texts, entry), expected) << sample;
    }
    EXPECT_GT(composed, 100);
}

// Long texts fill a font's memory long before its count of texts: they are forgotten by bytes.
TEST(ShapedTextCacheTest, LongTextsAreForgottenBeforeTheyOutgrowTheFontsMemory)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    const std::string filler(std::size_t{1} << 20, 'x'); // a megabyte of one line
    std::size_t mostKept = 0;
    for (int i = 0; i < 80; ++i) {
        texts.Find(std::to_string(i) + filler);
        mostKept = std::max(mostKept, texts.Size());
        ASSERT_LE(texts.ArenaBytes(), 2 * CShapedTextCache::kMaxTextBytesPerFont) << i;
    }
    EXPECT_LT(mostKept, 80u);
    EXPECT_GE(mostKept, CShapedTextCache::kMaxTextBytesPerFont / filler.size() / 2);
}
