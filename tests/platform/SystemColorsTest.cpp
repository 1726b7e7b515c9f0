#include "ombrel/platform/SystemColors.h"

#include "ombrel/platform/qt/QtDrawing.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

using namespace Ombrel;

TEST(SystemColorsTest, ColoursComeFromTheApplicationPalette)
{
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(GetSysColor(COLOR_WINDOW),
              FromQColor(palette.color(QPalette::Active, QPalette::Base)));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE),
              FromQColor(palette.color(QPalette::Active, QPalette::Button)));
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT),
              FromQColor(palette.color(QPalette::Disabled, QPalette::Text)));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK),
              FromQColor(palette.color(QPalette::Active, QPalette::ToolTipBase)));
    EXPECT_NE(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

TEST(SystemColorsTest, UnknownIndicesGiveBlack)
{
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(25), 0u);
    EXPECT_EQ(GetSysColor(1000), 0u);
}
