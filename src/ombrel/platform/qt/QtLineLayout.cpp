#include "ombrel/platform/qt/QtLineLayout.h"

#include <QTextLayout>
#include <QTextOption>

namespace Ombrel {

LaidOutLine LayOutLine(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.setCacheEnabled(false);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    LaidOutLine result;
    if (line.isValid()) {
        result.valid = true;
        result.advance = line.horizontalAdvance();
        result.runs = layout.glyphRuns();
    }
    return result;
}

} // namespace Ombrel
