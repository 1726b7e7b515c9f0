// The kept texts of one font: a text found again is the one laid out before, and a text laid out
// in an entry reused after the texts were forgotten carries nothing of the entry's last text.
#include "ombrel/platform/qt/QtShapedTextCache.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Ombrel;

namespace {

using Entry = CShapedTextCache::Entry;

std::vector<quint32> GlyphsOf(const Entry& entry)
{
    std::vector<quint32> glyphs;
    for (const QGlyphRun& run : entry.glyphs) {
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
    bool isPlain = false;
    std::vector<quint32> glyphs;
};

Fresh LaidOutAlone(const QFont& font, const std::string& utf8)
{
    CShapedTextCache::CFontTexts texts(font);
    const Entry& entry = texts.Find(utf8);
    return {entry.text, entry.width, entry.isPlain, GlyphsOf(entry)};
}

void ExpectLaidOutAsAlone(const QFont& font, const std::string& utf8, const Entry& entry)
{
    const Fresh fresh = LaidOutAlone(font, utf8);
    EXPECT_EQ(entry.key, utf8);
    EXPECT_EQ(entry.text, fresh.text) << utf8;
    EXPECT_EQ(entry.width, fresh.width) << utf8;
    EXPECT_EQ(entry.isPlain, fresh.isPlain) << utf8;
    EXPECT_EQ(GlyphsOf(entry), fresh.glyphs) << utf8;
    EXPECT_EQ(entry.elidedFor, -1) << utf8;
    EXPECT_TRUE(entry.elided.isEmpty()) << utf8;
    EXPECT_TRUE(entry.placed.glyphs.empty()) << utf8;
    EXPECT_EQ(entry.placedMasks, nullptr) << utf8;
}

TEST(ShapedTextCacheTest, TextsAreFoundByTheirBytesAndConvertedWhateverTheirScript)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    // ASCII, Latin-1, a symbol, a combining mark, a right-to-left word, control characters,
    // an embedded zero byte and the empty text; and prefixes of one another.
    const std::vector<std::string> samples = {
        "Row 12", "Row 1", "Row 123", "\xC3\x84pfel", "5 \xE2\x82\xAC", "e\xCC\x81",
        "\xD7\x90\xD7\x91", "tab\there", std::string("a\0b", 3), ""};
    for (const std::string& utf8 : samples) {
        const Entry& entry = texts.Find(utf8);
        EXPECT_EQ(entry.text, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
        EXPECT_EQ(entry.width, QFontMetrics(font).horizontalAdvance(entry.text)) << utf8;
    }
    EXPECT_EQ(texts.Size(), samples.size());
    for (const std::string& utf8 : samples) {
        EXPECT_EQ(texts.Find(utf8).key, utf8);
    }
    EXPECT_EQ(texts.Size(), samples.size()); // found again, not added again
}

TEST(ShapedTextCacheTest, TextsBeyondTheLimitStartAfreshInReusedEntries)
{
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    CShapedTextCache::CFontTexts texts(font);
    // Every entry gets the state a drawn text leaves: a cut for a width and its glyph runs.
    for (std::size_t i = 0; i < CShapedTextCache::kMaxTextsPerFont; ++i) {
        Entry& entry = texts.Find("A long value of row " + std::to_string(i) + " \xE2\x80\x94 kept");
        entry.elidedFor = 40;
        entry.elided = QStringLiteral("A lo\u2026");
    }
    EXPECT_EQ(texts.Size(), CShapedTextCache::kMaxTextsPerFont);

    // One more forgets them all; shorter texts of other scripts land in the used entries.
    const std::vector<std::string> after = {"7", "\xC3\x84", "Row 1", "\xD7\x90 1", ""};
    for (const std::string& utf8 : after) {
        ExpectLaidOutAsAlone(font, utf8, texts.Find(utf8));
    }
    EXPECT_EQ(texts.Size(), after.size());
    // A forgotten text is laid out again, not found under its old entry.
    const std::string forgotten = "A long value of row 3 \xE2\x80\x94 kept";
    ExpectLaidOutAsAlone(font, forgotten, texts.Find(forgotten));
    EXPECT_EQ(texts.Find("Row 1").key, "Row 1");
}

} // namespace
