// The clipboard on QClipboard.
//
// Flow of a session (window thread only)
//   OpenClipboard     Closed -> Reading
//   GetClipboardData  Reading: the bytes of QClipboard's current QMimeData for the format are
//                     copied into a clipboard-owned block, kept in `readBlocks` so that a
//                     second request for the format answers the same block
//                     Writing: the block set for the format in this session
//   EmptyClipboard    -> Writing: every block of the session is freed; `writtenBlocks` starts
//                     empty
//   SetClipboardData  Writing: the caller's block becomes clipboard-owned, kept in
//                     `writtenBlocks`
//   CloseClipboard    Writing: one QMimeData holding a copy of every written block replaces
//                     QClipboard's content; then every block of the session is freed -> Closed
//
// The content is published once, at CloseClipboard, instead of at each SetClipboardData:
// other applications (and QClipboard::dataChanged listeners) are told once and always see a
// complete set of formats, never the text without the registered formats set after it.
//
// Mapping of formats to MIME types
//   CF_TEXT            text/plain (QMimeData::setText / text()); the block holds UTF-8 and a
//                      terminating NUL, which does not travel
//   registered "name"  application/x-ombrel.<name>, the bytes unchanged; bytes of the name
//                      other than letters, digits, '.', '+' and '-' are written as '_' and two
//                      hex digits, so that the subtype is valid and distinct names stay
//                      distinct

#include "ombrel/platform/Clipboard.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/platform/ClipboardBlocks.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/MessageQueue.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace Ombrel {
namespace {

enum class SessionState
{
    Closed,
    Reading, // opened, EmptyClipboard not called yet
    Writing, // EmptyClipboard called: a new content is being set
};

struct ClipboardSession
{
    SessionState state = SessionState::Closed;
    std::map<UINT, HGLOBAL> readBlocks;    // made by GetClipboardData while Reading
    std::map<UINT, HGLOBAL> writtenBlocks; // set by SetClipboardData while Writing
};

// Touched only on the window thread (every entry point checks ClipboardReachable first), so
// it needs no lock. Every block in its maps is clipboard-owned.
ClipboardSession g_session;

const QString kTextMimeType = QStringLiteral("text/plain");
constexpr const char* kRegisteredMimePrefix = "application/x-ombrel.";
constexpr const char* kHexDigits = "0123456789ABCDEF";

// QClipboard lives on the thread of the QGuiApplication and nowhere else.
bool ClipboardReachable()
{
    return Internal::IsApplicationThread() &&
           qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QClipboard& SystemClipboard()
{
    return *QGuiApplication::clipboard();
}

bool IsRegisteredFormat(UINT format)
{
    char name[2];
    return GetClipboardFormatName(format, name, sizeof name) > 0;
}

bool IsSupportedFormat(UINT format)
{
    return format == CF_TEXT || IsRegisteredFormat(format);
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

// The MIME type a supported format travels as.
QString MimeTypeOf(UINT format)
{
    return format == CF_TEXT ? kTextMimeType : RegisteredMimeType(format);
}

bool MimeDataHolds(const QMimeData* data, UINT format)
{
    if (data == nullptr)
        return false;
    return format == CF_TEXT ? data->hasText() : data->hasFormat(MimeTypeOf(format));
}

// ---- Blocks and bytes --------------------------------------------------------------------

QByteArray BytesOfBlock(HGLOBAL block)
{
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    const std::size_t size = GlobalSize(block);
    QByteArray copy(bytes, static_cast<qsizetype>(size));
    GlobalUnlock(block);
    return copy;
}

// A clipboard-owned block holding `bytes`; null when memory is short.
HGLOBAL BlockOfBytes(const QByteArray& bytes)
{
    HGLOBAL block = Internal::AllocateClipboardBlock(static_cast<std::size_t>(bytes.size()));
    if (block != nullptr && !bytes.isEmpty())
        std::memcpy(GlobalLock(block), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return block;
}

// What a block of `format` holds, from the clipboard's content: UTF-8 text with its NUL, or
// the registered format's bytes.
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

// Puts a block of `format` into `data`. Text ends at its first NUL, or at the end of a block
// that has none, so a block without its terminator is never read past its end.
void WriteFormat(QMimeData& data, UINT format, HGLOBAL block)
{
    QByteArray bytes = BytesOfBlock(block);
    if (format != CF_TEXT) {
        data.setData(MimeTypeOf(format), bytes);
        return;
    }
    if (const qsizetype end = bytes.indexOf('\0'); end >= 0)
        bytes.truncate(end);
    data.setText(QString::fromUtf8(bytes));
}

void FreeBlocks(std::map<UINT, HGLOBAL>& blocks)
{
    for (const auto& [format, block] : blocks)
        Internal::FreeClipboardBlock(block);
    blocks.clear();
}

void FreeSessionBlocks()
{
    FreeBlocks(g_session.readBlocks);
    FreeBlocks(g_session.writtenBlocks);
}

// Replaces the system clipboard's content with the blocks written in this session.
void PublishWrittenBlocks()
{
    if (g_session.writtenBlocks.empty()) {
        SystemClipboard().clear();
        return;
    }
    auto data = std::make_unique<QMimeData>();
    for (const auto& [format, block] : g_session.writtenBlocks)
        WriteFormat(*data, format, block);
    SystemClipboard().setMimeData(data.release()); // QClipboard takes ownership
}

HGLOBAL ReadBlock(UINT format)
{
    if (auto known = g_session.readBlocks.find(format); known != g_session.readBlocks.end())
        return known->second;
    std::optional<QByteArray> bytes = ReadFormat(SystemClipboard().mimeData(), format);
    if (!bytes)
        return nullptr;
    HGLOBAL block = BlockOfBytes(*bytes);
    if (block != nullptr)
        g_session.readBlocks.emplace(format, block);
    return block;
}

HGLOBAL WrittenBlock(UINT format)
{
    auto found = g_session.writtenBlocks.find(format);
    return found == g_session.writtenBlocks.end() ? nullptr : found->second;
}

bool MayOwnClipboard(CWnd* owner)
{
    return owner == nullptr ||
           (IsWindow(owner) && GetWindowThreadProcessId(owner) == GetCurrentThreadId());
}

} // namespace

bool OpenClipboard(CWnd* owner)
{
    if (!ClipboardReachable() || g_session.state != SessionState::Closed || !MayOwnClipboard(owner))
        return false;
    g_session.state = SessionState::Reading;
    return true;
}

bool CloseClipboard()
{
    if (!ClipboardReachable() || g_session.state == SessionState::Closed)
        return false;
    if (g_session.state == SessionState::Writing)
        PublishWrittenBlocks();
    FreeSessionBlocks();
    g_session.state = SessionState::Closed;
    return true;
}

bool EmptyClipboard()
{
    if (!ClipboardReachable() || g_session.state == SessionState::Closed)
        return false;
    FreeSessionBlocks();
    g_session.state = SessionState::Writing;
    return true;
}

HANDLE SetClipboardData(UINT format, HANDLE block)
{
    if (!ClipboardReachable() || g_session.state != SessionState::Writing ||
        !IsSupportedFormat(format) || block == nullptr)
        return nullptr;
    HGLOBAL previous = WrittenBlock(format);
    if (previous == block)
        return block; // already the clipboard's, under this very format
    if (!Internal::GiveBlockToClipboard(block))
        return nullptr;
    if (previous != nullptr)
        Internal::FreeClipboardBlock(previous);
    g_session.writtenBlocks[format] = block;
    return block;
}

HANDLE GetClipboardData(UINT format)
{
    if (!ClipboardReachable() || !IsSupportedFormat(format))
        return nullptr;
    switch (g_session.state) {
    case SessionState::Closed:
        return nullptr;
    case SessionState::Reading:
        return ReadBlock(format);
    case SessionState::Writing:
        return WrittenBlock(format);
    }
    return nullptr;
}

bool IsClipboardFormatAvailable(UINT format)
{
    if (!ClipboardReachable() || !IsSupportedFormat(format))
        return false;
    if (g_session.state == SessionState::Writing)
        return WrittenBlock(format) != nullptr;
    return MimeDataHolds(SystemClipboard().mimeData(), format);
}

} // namespace Ombrel
