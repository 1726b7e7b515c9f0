// The data source of a drag on QDrag.
//
//   CacheGlobalData  the block's bytes are copied into `formats` and the block freed
//   DoDragDrop       one QMimeData with every cached format (MimeFormats.h) -> QDrag::exec,
//                    modal: Qt's event loop keeps running until the drop or the cancel
//                    -> Qt's drop action read back as a DROPEFFECT
//
// The QDrag is parented to an object of this call, not to the source widget: the source window
// may be destroyed while the drag runs, and the drag must outlive it until exec returns.

#include "ombrel/platform/OleDataSource.h"

#include "ombrel/base/ThreadId.h"

#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/MimeFormats.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"
#include "ombrel/platform/qt/HostWidget.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>

#include <map>

namespace Ombrel {
namespace {

Qt::DropActions ActionsOf(DROPEFFECT effects)
{
    Qt::DropActions actions;
    if ((effects & DROPEFFECT_COPY) != 0)
        actions |= Qt::CopyAction;
    if ((effects & DROPEFFECT_MOVE) != 0)
        actions |= Qt::MoveAction;
    return actions;
}

DROPEFFECT EffectOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    default: return DROPEFFECT_NONE;
    }
}

bool MayDragFrom(CWnd* source)
{
    return source != nullptr && IsWindow(source) &&
           GetWindowThreadProcessId(source) == GetCurrentThreadId() &&
           CWnd::Impl::Of(*source).widget != nullptr;
}

} // namespace

struct COleDataSource::Impl
{
    std::map<UINT, QByteArray> formats; // the bytes offered under each format
};

COleDataSource::COleDataSource() : m_impl(std::make_unique<Impl>()) {}

COleDataSource::~COleDataSource() = default;

bool COleDataSource::CacheGlobalData(UINT format, HGLOBAL block)
{
    if (!Internal::IsSupportedFormat(format))
        return false;
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    if (bytes == nullptr)
        return false;
    QByteArray copy(bytes, static_cast<qsizetype>(GlobalSize(block)));
    GlobalUnlock(block);
    if (GlobalFree(block) != nullptr)
        return false; // not the caller's to give (the clipboard owns it)
    m_impl->formats[format] = std::move(copy);
    return true;
}

void COleDataSource::Empty()
{
    m_impl->formats.clear();
}

bool COleDataSource::IsEmpty() const
{
    return m_impl->formats.empty();
}

DROPEFFECT COleDataSource::DoDragDrop(CWnd* source, DROPEFFECT allowedEffects)
{
    const Qt::DropActions actions = ActionsOf(allowedEffects);
    if (m_impl->formats.empty() || actions == Qt::IgnoreAction || !MayDragFrom(source))
        return DROPEFFECT_NONE;
    auto data = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : m_impl->formats)
        Internal::WriteFormat(*data, format, bytes);

    QObject dragOwner;
    auto* drag = new QDrag(&dragOwner); // deleted with dragOwner, after exec
    drag->setMimeData(data.release());  // the drag owns it
    QImage image;
    QPoint hotSpot;
    if (GetBegunDragImage(image, hotSpot)) {
        drag->setPixmap(QPixmap::fromImage(image));
        drag->setHotSpot(hotSpot);
    }
    const Qt::DropAction defaultAction =
        actions.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction;
    return EffectOf(drag->exec(actions, defaultAction));
}

} // namespace Ombrel
