#pragma once

// Internal to the framework layer: how clipboard formats travel as MIME data, shared by the
// clipboard (Clipboard.cpp) and drag and drop (OleDataSource.cpp, OleDataObject.cpp), so that
// what one puts on the clipboard and what one drags read the same way.
//
//   CF_TEXT            text/plain (QMimeData::setText / text()); a block holds UTF-8 and a
//                      terminating NUL, which does not travel
//   registered "name"  application/x-ombrel.<name>, the bytes unchanged; bytes of the name
//                      other than letters, digits, '.', '+' and '-' are written as '_' and two
//                      hex digits, so that the subtype is valid and distinct names stay
//                      distinct

#include "ombrel/platform/Messages.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QMimeData;

namespace Ombrel::Internal {

// CF_TEXT or a registered format.
bool IsSupportedFormat(UINT format);
// The MIME type a supported format travels as.
QString MimeTypeOf(UINT format);
bool MimeDataHolds(const QMimeData* data, UINT format);
// What a block of `format` holds, read from `data`: UTF-8 text with its NUL, or the registered
// format's bytes; nothing when `data` does not hold the format.
std::optional<QByteArray> ReadFormat(const QMimeData* data, UINT format);
// Puts the bytes of a block of `format` into `data`. Text ends at its first NUL, or at the end
// of a block that has none, so a block without its terminator is never read past its end.
void WriteFormat(QMimeData& data, UINT format, QByteArray bytes);

} // namespace Ombrel::Internal
