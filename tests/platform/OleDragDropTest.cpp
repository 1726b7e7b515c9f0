// The drag-and-drop transport on Qt: a registered window hears real drag events with real
// QMimeData through its callbacks, reads the clipboard's formats out of them, and answers with
// effects Qt sees; a data source takes blocks and runs a real QDrag.

#include "ombrel/platform/Clipboard.h"
#include "ombrel/platform/OleDataObject.h"
#include "ombrel/platform/OleDataSource.h"
#include "ombrel/platform/OleDropTarget.h"
#include "ombrel/platform/Wnd.h"

#include "support/Harness.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QWidget>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Ombrel {
namespace {

std::string BytesOf(HGLOBAL block)
{
    std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
    GlobalUnlock(block);
    GlobalFree(block);
    return bytes;
}

HGLOBAL BlockOf(const std::string& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    return block;
}

// Answers with `answer` and remembers what the last callback was told.
class CRecordingTarget : public COleDropTarget
{
public:
    DROPEFFECT OnDragEnter(CWnd*, COleDataObject* data, DWORD keys, CPoint point) override
    {
        Remember("enter", data, keys, point);
        return answer;
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject* data, DWORD keys, CPoint point) override
    {
        Remember("over", data, keys, point);
        return answer;
    }
    void OnDragLeave(CWnd*) override { calls += "leave;"; }
    DROPEFFECT OnDrop(CWnd*, COleDataObject* data, DROPEFFECT effect, DWORD keys, CPoint point) override
    {
        Remember("drop", data, keys, point);
        offered = effect;
        return answer;
    }

    DROPEFFECT answer = DROPEFFECT_COPY;
    std::string calls;
    DWORD keyState = 0;
    CPoint at;
    std::string text;       // CF_TEXT as read in the last callback
    std::string registered; // the registered format's bytes
    DROPEFFECT offered = DROPEFFECT_NONE;
    UINT format = RegisterClipboardFormat("Ombrel.Test.DragFormat");

private:
    void Remember(const char* call, COleDataObject* data, DWORD keys, CPoint point)
    {
        calls += std::string(call) + ";";
        keyState = keys;
        at = point;
        text = data->IsDataAvailable(CF_TEXT) ? BytesOf(data->GetGlobalData(CF_TEXT)) : "";
        registered = data->IsDataAvailable(format) ? BytesOf(data->GetGlobalData(format)) : "";
    }
};

class OleDragDropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_window.CreateEx(0, nullptr, "target", WS_POPUP | WS_VISIBLE,
                                      CRect(0, 0, 200, 100), nullptr, 0));
        m_data.setText("a\tb");
        m_data.setData("application/x-ombrel.Ombrel.Test.DragFormat", QByteArray("\x01\x00\x02", 3));
    }
    void TearDown() override { m_window.DestroyWindow(); }

    bool Send(QDropEvent& event)
    {
        QCoreApplication::sendEvent(Ombrel::Test::WidgetOf(m_window), &event);
        return event.isAccepted();
    }

    CWnd m_window;
    QMimeData m_data;
};

TEST_F(OleDragDropTest, ARegisteredWindowHearsEnterOverAndDropWithKeysPointAndData)
{
    CRecordingTarget target;
    ASSERT_TRUE(target.Register(&m_window));
    QDragEnterEvent enter(QPoint(12, 34), Qt::CopyAction | Qt::MoveAction, &m_data, Qt::LeftButton,
                          Qt::ControlModifier);
    EXPECT_TRUE(Send(enter));
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    EXPECT_EQ(target.keyState, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(target.at, CPoint(12, 34));
    EXPECT_EQ(target.text, std::string("a\tb", 3) + '\0');
    EXPECT_EQ(target.registered, std::string("\x01\x00\x02", 3));

    target.answer = DROPEFFECT_MOVE;
    QDragMoveEvent over(QPoint(40, 50), Qt::CopyAction | Qt::MoveAction, &m_data, Qt::LeftButton, {});
    EXPECT_TRUE(Send(over));
    EXPECT_EQ(over.dropAction(), Qt::MoveAction);
    QDropEvent drop(QPointF(40, 50), Qt::CopyAction | Qt::MoveAction, &m_data, Qt::LeftButton, {});
    EXPECT_TRUE(Send(drop));
    EXPECT_EQ(target.offered, DROPEFFECT_MOVE); // what the last over answered
    EXPECT_EQ(target.calls, "enter;over;drop;");
}

TEST_F(OleDragDropTest, AnEffectOfNoneRefusesTheEvent)
{
    CRecordingTarget target;
    target.answer = DROPEFFECT_NONE;
    ASSERT_TRUE(target.Register(&m_window));
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &m_data, Qt::LeftButton, {});
    EXPECT_FALSE(Send(enter));
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &m_data, Qt::LeftButton, {});
    EXPECT_FALSE(Send(drop));
}

TEST_F(OleDragDropTest, AnEffectTheSourceDoesNotAllowIsRefused)
{
    CRecordingTarget target;
    target.answer = DROPEFFECT_MOVE;
    ASSERT_TRUE(target.Register(&m_window));
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &m_data, Qt::LeftButton, {});
    EXPECT_FALSE(Send(enter));
}

TEST_F(OleDragDropTest, RegistrationIsOncePerTargetAndEndsWithRevokeTheTargetOrTheWindow)
{
    auto target = std::make_unique<CRecordingTarget>();
    EXPECT_TRUE(target->Register(&m_window));
    EXPECT_FALSE(target->Register(&m_window));
    EXPECT_TRUE(Ombrel::Test::WidgetOf(m_window)->acceptDrops());
    target->Revoke();
    EXPECT_FALSE(Ombrel::Test::WidgetOf(m_window)->acceptDrops());
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &m_data, Qt::LeftButton, {});
    Send(enter);
    EXPECT_EQ(target->calls, "");

    EXPECT_TRUE(target->Register(&m_window));
    target.reset(); // a destroyed target is never called
    QDragEnterEvent again(QPoint(1, 1), Qt::CopyAction, &m_data, Qt::LeftButton, {});
    Send(again);

    CRecordingTarget outlived;
    ASSERT_TRUE(outlived.Register(&m_window));
    m_window.DestroyWindow();
    EXPECT_FALSE(outlived.IsRegistered());
    CWnd noWidget;
    EXPECT_FALSE(outlived.Register(&noWidget));
}

TEST_F(OleDragDropTest, ADataSourceTakesAndFreesBlocksOfSupportedFormatsOnly)
{
    COleDataSource source;
    HGLOBAL text = BlockOf("x");
    EXPECT_TRUE(source.CacheGlobalData(CF_TEXT, text));
    EXPECT_EQ(GlobalSize(text), 0u); // freed: the source keeps a copy
    HGLOBAL unknown = BlockOf("y");
    EXPECT_FALSE(source.CacheGlobalData(7, unknown));
    EXPECT_EQ(GlobalSize(unknown), 1u); // still the caller's
    GlobalFree(unknown);
    EXPECT_FALSE(source.IsEmpty());
    source.Empty();
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_EQ(source.DoDragDrop(&m_window, DROPEFFECT_COPY), DROPEFFECT_NONE);
}

TEST_F(OleDragDropTest, ARealDragOnTheOffscreenPlatformEndsAtOnceWithoutADrop)
{
    CRecordingTarget target;
    ASSERT_TRUE(target.Register(&m_window));
    COleDataSource source;
    ASSERT_TRUE(source.CacheGlobalData(CF_TEXT, BlockOf(std::string("t", 2))));
    EXPECT_EQ(source.DoDragDrop(&m_window, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_NONE);
    EXPECT_EQ(target.calls, "");
    EXPECT_EQ(source.DoDragDrop(nullptr, DROPEFFECT_COPY), DROPEFFECT_NONE);
}

} // namespace
} // namespace Ombrel
