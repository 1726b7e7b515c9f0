#pragma once

// One line of text laid out by Qt's shaper (private to the Qt implementation of CDC).

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QString>

namespace Ombrel {

struct LaidOutLine
{
    QList<QGlyphRun> runs; // positions relative to the line's top-left corner
    qreal advance = 0;     // trailing spaces included, as QFontMetrics measures them
    bool valid = false;
};

// `text` shaped as one line, without wrapping, at the origin.
LaidOutLine LayOutLine(const QString& text, const QFont& font);

} // namespace Ombrel
