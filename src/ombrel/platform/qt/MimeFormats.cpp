#include "ombrel/platform/qt/MimeFormats.h"

#include "ombrel/platform/Clipboard.h"

#include <QMimeData>

namespace Ombrel::Internal {
namespace {

const QString kTextMimeType = QStringLiteral("text/plain");
constexpr const char* kRegisteredMimePrefix = "application/x-ombrel.";
constexpr const char* kHexDigits = "0123456789ABCDEF";

bool IsRegisteredFormat(UINT format)
{
    char name[2];
    return GetClipboardFormatName(format, name, sizeof name) > 0;
}

// MIME subtype characters (RFC 6838 restricted names) that a format name keeps as they are.
bool KeptInSubtype(unsigned char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '.' || ch == '+' || ch == '-';
}

QString RegisteredMimeType(UINT format)
{
    char name[kMaxClipboardFormatName + 1];
    const int length = GetClipboardFormatName(format, name, sizeof name);
    QByteArray mimeType(kRegisteredMimePrefix);
    for (int i = 0; i < length; ++i) {
        const auto ch = static_cast<unsigned char>(name[i]);
        if (KeptInSubtype(ch))
            mimeType.append(static_cast<char>(ch));
        else
            mimeType.append('_').append(kHexDigits[ch >> 4]).append(kHexDigits[ch & 0xF]);
    }
    return QString::fromLatin1(mimeType);
}

} // namespace

bool IsSupportedFormat(UINT format)
{
    return format == CF_TEXT || IsRegisteredFormat(format);
}

QString MimeTypeOf(UINT format)
{
    return format == CF_TEXT ? kTextMimeType : RegisteredMimeType(format);
}

bool MimeDataHolds(const QMimeData* data, UINT format)
{
    if (data == nullptr || !IsSupportedFormat(format))
        return false;
    return format == CF_TEXT ? data->hasText() : data->hasFormat(MimeTypeOf(format));
}

std::optional<QByteArray> ReadFormat(const QMimeData* data, UINT format)
{
    if (!MimeDataHolds(data, format))
        return std::nullopt;
    if (format != CF_TEXT)
        return data->data(MimeTypeOf(format));
    QByteArray text = data->text().toUtf8();
    text.append('\0');
    return text;
}

void WriteFormat(QMimeData& data, UINT format, QByteArray bytes)
{
    if (format != CF_TEXT) {
        data.setData(MimeTypeOf(format), bytes);
        return;
    }
    if (const qsizetype end = bytes.indexOf('\0'); end >= 0)
        bytes.truncate(end);
    data.setText(QString::fromUtf8(bytes));
}

} // namespace Ombrel::Internal
