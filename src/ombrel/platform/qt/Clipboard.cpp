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
// Formats travel as MIME types as MimeFormats.h describes.

#include "ombrel/platform/Clipboard.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/platform/ClipboardBlocks.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/MessageQueue.h"
#include "ombrel/platform/qt/MimeFormats.h"

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

// Puts a block of `format` into `data`.
void WriteFormat(QMimeData& data, UINT format, HGLOBAL block)
{
    Internal::WriteFormat(data, format, BytesOfBlock(block));
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
    std::optional<QByteArray> bytes = Internal::ReadFormat(SystemClipboard().mimeData(), format);
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
        !Internal::IsSupportedFormat(format) || block == nullptr)
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
    if (!ClipboardReachable() || !Internal::IsSupportedFormat(format))
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
    if (!ClipboardReachable() || !Internal::IsSupportedFormat(format))
        return false;
    if (g_session.state == SessionState::Writing)
        return WrittenBlock(format) != nullptr;
    return Internal::MimeDataHolds(SystemClipboard().mimeData(), format);
}

} // namespace Ombrel
