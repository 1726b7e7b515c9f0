#include "ombrel/common/DateSettings.h"
#include "ombrel/common/LongDateFormat.h"

#include "common/DateFormatTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

using Ombrel::Common::CDateSettings;
using Ombrel::Common::CLongDateFormat;

TEST(DateSettingsTest, StartsWithDayMonthYearAndIgnoresUnknownOrders)
{
    CDateSettings settings;
    EXPECT_EQ(settings.GetDateOrder(), CDateSettings::kDayMonthYear);
    EXPECT_EQ(settings.GetDateSeparator(), "/");
    EXPECT_EQ(settings.GetTimeSeparator(), ":");
    EXPECT_EQ(settings.GetMsecSeparator(), ".");
    settings.SetDateOrder(CDateSettings::kYearMonthDay);
    settings.SetDateOrder(7);
    settings.SetDateOrder(-1);
    EXPECT_EQ(settings.GetDateOrder(), CDateSettings::kYearMonthDay);
}

using DateSettingsThreadTest = DateFormatTest;

// Formats on several threads while the separator keeps changing: every text must be built
// from one consistent reading of the settings.
TEST_F(DateSettingsThreadTest, FormattingNeverMixesOldAndNewSettings)
{
    UseSettings(CDateSettings::kYearMonthDay, "-");
    const CLongDateFormat format(13);
    const std::int32_t march7th2010 = 1267970709;
    std::atomic<bool> stop = false;
    std::atomic<int> formatted = 0;

    std::vector<std::thread> readers;
    std::vector<std::set<std::string>> seen(3);
    for (auto& texts : seen) {
        readers.emplace_back([&format, &stop, &formatted, &texts, march7th2010] {
            while (!stop) {
                texts.insert(format.FormatStl(march7th2010));
                ++formatted;
            }
        });
    }
    for (int i = 0; formatted < 3000; ++i)
        CDateSettings::GetInstance().SetDateSeparator(i % 2 ? "-" : "::");
    stop = true;
    for (auto& reader : readers)
        reader.join();

    for (const auto& texts : seen) {
        for (const std::string& text : texts)
            EXPECT_TRUE(text == "2010-03-07" || text == "2010::03::07") << text;
    }
}
