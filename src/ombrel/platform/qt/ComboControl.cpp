// The "ComboBox" window class: a QComboBox, as a drop-down list (CBS_DROPDOWNLIST) or with an
// edit field (CBS_DROPDOWN).
//
// Notifications to the parent (WM_COMMAND), in order:
//   list opens (user or CB_SHOWDROPDOWN)  -> CBN_DROPDOWN
//   user picks an item                    -> CBN_SELCHANGE, CBN_SELENDOK (+ CBN_CLOSEUP when the
//                                            list was open)
//   list closes without a pick            -> CBN_SELENDCANCEL, CBN_CLOSEUP
//   focus                                 -> CBN_SETFOCUS / CBN_KILLFOCUS
//   typing in the edit field              -> CBN_EDITCHANGE
// Selections made by messages (CB_SETCURSEL) are not notified. The toolkit closes the list
// before it reports the pick, so the close-up is told once the pick had its chance (queued).
//
// Owner draw (CBS_OWNERDRAWFIXED): the parent measures the items once (WM_MEASUREITEM) and
// draws every item of the list and the selection field (WM_DRAWITEM, ODS_COMBOBOXEDIT).

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"
#include "ombrel/platform/DC.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTimer>

#include <cstring>
#include <functional>

namespace Ombrel::Internal {
namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr UINT kNoItem = 0xFFFFFFFF;

CRect FromQRect(const QRect& rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

// Sends WM_DRAWITEM for one item to `control`'s parent, drawing through `painter`.
void SendDrawItem(CWnd* control, QPainter* painter, const QRect& rect, UINT item, UINT state,
                  UINT_PTR data)
{
    CWnd* parent = control != nullptr && IsWindow(control) ? control->GetParent() : nullptr;
    if (parent == nullptr)
        return;
    CDC dc;
    AttachPainter(dc, painter);
    DRAWITEMSTRUCT draw;
    draw.CtlType = ODT_COMBOBOX;
    draw.CtlID = control->GetDlgCtrlID();
    draw.itemID = item;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = control;
    draw.hDC = &dc;
    draw.rcItem = FromQRect(rect);
    draw.itemData = data;
    SendMessage(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
}

// The list's items drawn by the parent, at the height it measured.
class OwnerDrawDelegate : public QAbstractItemDelegate
{
public:
    OwnerDrawDelegate(std::function<CWnd*()> window, std::function<int()> itemHeight, QObject* parent)
        : QAbstractItemDelegate(parent), m_window(std::move(window)), m_itemHeight(std::move(itemHeight))
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        UINT state = 0;
        if (option.state & QStyle::State_Selected)
            state |= ODS_SELECTED;
        if (option.state & QStyle::State_HasFocus)
            state |= ODS_FOCUS;
        if (!(option.state & QStyle::State_Enabled))
            state |= ODS_DISABLED;
        SendDrawItem(m_window(), painter, option.rect, static_cast<UINT>(index.row()), state,
                     index.data(kDataRole).toULongLong());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), m_itemHeight());
    }

private:
    std::function<CWnd*()> m_window;
    std::function<int()> m_itemHeight;
};

// The toolkit's drawing of the items at the height set by CB_SETITEMHEIGHT.
class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    FixedHeightDelegate(std::function<int()> height, QObject* parent)
        : QStyledItemDelegate(parent), m_height(std::move(height))
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_height());
    }

private:
    std::function<int()> m_height;
};

class ComboWidget : public QComboBox
{
public:
    using QComboBox::QComboBox;

    std::function<void()> aboutToShow;
    std::function<void()> hidden;
    std::function<void(QStylePainter&, const QRect&)> paintField; // owner draw only
    bool dropped = false;

    void showPopup() override
    {
        if (aboutToShow)
            aboutToShow();
        QComboBox::showPopup();
        dropped = true;
    }

    void hidePopup() override
    {
        bool wasDropped = dropped;
        dropped = false;
        QComboBox::hidePopup();
        if (wasDropped && hidden)
            hidden();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!paintField) {
            QComboBox::paintEvent(event);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        paintField(painter, style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this));
    }
};

class ComboControl : public NativeControl
{
public:
    ComboControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
        : NativeControl(window, host), m_combo(new ComboWidget(&host)), m_sorted((cs.style & CBS_SORT) != 0)
    {
        bool editable = (cs.style & CBS_TYPEMASK) == CBS_DROPDOWN;
        m_combo->setEditable(editable);
        m_combo->setInsertPolicy(QComboBox::NoInsert);
        m_combo->setMaxVisibleItems(30);
        m_combo->aboutToShow = [this] { NotifyParent(CBN_DROPDOWN); };
        m_combo->hidden = [this] { OnListHidden(); };
        if (cs.style & CBS_OWNERDRAWFIXED)
            MakeOwnerDrawn();
        Connect();
        std::vector<QWidget*> inputs;
        if (editable)
            inputs.push_back(m_combo->lineEdit());
        SetWidget(m_combo, inputs);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
            NativeControl::HandleMessage(message, wParam, lParam, result);
            NotifyParent(message == WM_SETFOCUS ? CBN_SETFOCUS : CBN_KILLFOCUS);
            return true;
        }
        if (HandleListMessage(message, wParam, lParam, result))
            return true;
        return NativeControl::HandleMessage(message, wParam, lParam, result);
    }

protected:
    void SetControlText(const char* text) override
    {
        QString value = QString::fromUtf8(text != nullptr ? text : "");
        if (m_combo->isEditable()) {
            m_combo->setEditText(value);
            MirrorText(value);
            return;
        }
        int found = m_combo->findText(value, Qt::MatchFixedString);
        if (found >= 0)
            SetSelectionQuietly(found);
    }

private:
    void Connect()
    {
        QObject::connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int) {
            if (!m_combo->isEditable())
                MirrorText(m_combo->currentText());
        });
        QObject::connect(m_combo, &QComboBox::activated, this, [this](int) { OnUserPick(); });
        QObject::connect(m_combo, &QComboBox::editTextChanged, this, [this](const QString& text) {
            MirrorText(text);
            if (!m_quiet)
                NotifyParent(CBN_EDITCHANGE);
        });
    }

    void MakeOwnerDrawn()
    {
        m_ownerDrawn = true;
        auto window = [this] { return Window(); };
        m_combo->setItemDelegate(new OwnerDrawDelegate(window, [this] { return ItemHeight(); }, m_combo));
        m_combo->paintField = [this](QStylePainter& painter, const QRect& field) {
            int current = m_combo->currentIndex();
            UINT state = ODS_COMBOBOXEDIT | (m_combo->hasFocus() ? ODS_SELECTED | ODS_FOCUS : 0);
            if (!m_combo->isEnabled())
                state |= ODS_DISABLED;
            UINT_PTR data = current >= 0 ? m_combo->itemData(current, kDataRole).toULongLong() : 0;
            SendDrawItem(Window(), &painter, field, current >= 0 ? static_cast<UINT>(current) : kNoItem, state, data);
        };
    }

    // The height of the list's items: set by CB_SETITEMHEIGHT, else measured by the parent
    // (owner draw, once), else the toolkit's.
    int ItemHeight()
    {
        if (m_itemHeight > 0)
            return m_itemHeight;
        if (m_ownerDrawn && Window() != nullptr && Window()->GetParent() != nullptr) {
            MEASUREITEMSTRUCT measure;
            measure.CtlType = ODT_COMBOBOX;
            measure.CtlID = Window()->GetDlgCtrlID();
            measure.itemWidth = static_cast<UINT>(m_combo->width());
            measure.itemHeight = static_cast<UINT>(m_combo->fontMetrics().height());
            SendMessage(Window()->GetParent(), WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
            m_itemHeight = std::max(1, static_cast<int>(measure.itemHeight));
            return m_itemHeight;
        }
        return m_combo->view()->sizeHintForRow(0) > 0 ? m_combo->view()->sizeHintForRow(0)
                                                       : m_combo->fontMetrics().height();
    }

    void OnUserPick()
    {
        if (m_quiet)
            return;
        if (m_closing)
            m_picked = true;
        if (NotifyParent(CBN_SELCHANGE))
            NotifyParent(CBN_SELENDOK);
    }

    void OnListHidden()
    {
        m_closing = true;
        m_picked = false;
        QTimer::singleShot(0, this, [this] {
            m_closing = false;
            if (m_picked || NotifyParent(CBN_SELENDCANCEL))
                NotifyParent(CBN_CLOSEUP);
        });
    }

    void SetSelectionQuietly(int index)
    {
        m_quiet = true;
        m_combo->setCurrentIndex(index);
        m_quiet = false;
        MirrorText(m_combo->currentText());
    }

    int InsertItem(int index, const char* text)
    {
        QString value = QString::fromUtf8(text != nullptr ? text : "");
        if (m_sorted) {
            index = 0;
            while (index < m_combo->count() &&
                   QString::compare(m_combo->itemText(index), value, Qt::CaseInsensitive) <= 0)
                ++index;
        } else if (index < 0 || index > m_combo->count()) {
            index = m_combo->count();
        }
        m_quiet = true;
        bool wasEmpty = m_combo->currentIndex() < 0;
        m_combo->insertItem(index, value);
        if (wasEmpty)
            m_combo->setCurrentIndex(-1); // the toolkit selects a first item; the platform does not
        m_quiet = false;
        return index;
    }

    LRESULT FindItem(WPARAM after, const char* text, bool exact) const
    {
        QString wanted = QString::fromUtf8(text != nullptr ? text : "");
        int count = m_combo->count();
        int start = static_cast<std::int32_t>(after);
        start = start < 0 || start >= count ? 0 : start + 1;
        for (int step = 0; step < count; ++step) {
            int index = (start + step) % count;
            QString item = m_combo->itemText(index);
            bool match = exact ? QString::compare(item, wanted, Qt::CaseInsensitive) == 0
                               : item.startsWith(wanted, Qt::CaseInsensitive);
            if (match)
                return index;
        }
        return CB_ERR;
    }

    LRESULT CopyItemText(int index, char* buffer) const
    {
        if (index < 0 || index >= m_combo->count())
            return CB_ERR;
        QByteArray text = m_combo->itemText(index).toUtf8();
        if (buffer != nullptr) {
            std::memcpy(buffer, text.constData(), static_cast<std::size_t>(text.size()));
            buffer[text.size()] = '\0';
        }
        return text.size();
    }

    void SetItemHeight(std::int32_t which, int height)
    {
        if (which < 0) {
            // The selection field is the control itself.
            Window()->SetWindowPos(nullptr, 0, 0, Window()->GetClientRect().Width(), height,
                                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return;
        }
        m_itemHeight = height;
        if (!m_ownerDrawn && m_heightDelegate == nullptr) {
            m_heightDelegate = new FixedHeightDelegate([this] { return m_itemHeight; }, m_combo);
            m_combo->setItemDelegate(m_heightDelegate);
        }
        m_combo->view()->doItemsLayout();
    }

    bool ValidIndex(WPARAM index) const
    {
        auto value = static_cast<std::int32_t>(index);
        return value >= 0 && value < m_combo->count();
    }

    bool HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    ComboWidget* m_combo;
    bool m_sorted;
    bool m_ownerDrawn = false;
    QAbstractItemDelegate* m_heightDelegate = nullptr; // once an item height is set
    int m_itemHeight = 0; // 0: not set
    bool m_quiet = false;   // a selection or text change made by a message: not notified
    bool m_closing = false; // the list closed and the close-up is not told yet
    bool m_picked = false;  // an item was picked as the list closed
};

bool ComboControl::HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const char* text = reinterpret_cast<const char*>(lParam);
    int index = static_cast<std::int32_t>(wParam);
    switch (message) {
    case CB_ADDSTRING: result = InsertItem(-1, text); return true;
    case CB_INSERTSTRING: result = InsertItem(index, text); return true;
    case CB_DELETESTRING:
        if (!ValidIndex(wParam)) { result = CB_ERR; return true; }
        m_quiet = true;
        m_combo->removeItem(index);
        m_quiet = false;
        result = m_combo->count();
        return true;
    case CB_RESETCONTENT:
        m_quiet = true;
        m_combo->clear();
        m_quiet = false;
        MirrorText(m_combo->isEditable() ? m_combo->currentText() : QString());
        result = CB_OKAY;
        return true;
    case CB_GETCOUNT: result = m_combo->count(); return true;
    case CB_GETCURSEL: result = m_combo->currentIndex() >= 0 ? m_combo->currentIndex() : CB_ERR; return true;
    case CB_SETCURSEL:
        SetSelectionQuietly(ValidIndex(wParam) ? index : -1);
        result = ValidIndex(wParam) ? index : CB_ERR;
        return true;
    case CB_GETLBTEXT: result = CopyItemText(index, reinterpret_cast<char*>(lParam)); return true;
    case CB_GETLBTEXTLEN: result = CopyItemText(index, nullptr); return true;
    case CB_FINDSTRING: result = FindItem(wParam, text, false); return true;
    case CB_FINDSTRINGEXACT: result = FindItem(wParam, text, true); return true;
    case CB_GETITEMDATA:
        result = ValidIndex(wParam) ? static_cast<LRESULT>(m_combo->itemData(index, kDataRole).toULongLong()) : CB_ERR;
        return true;
    case CB_SETITEMDATA:
        if (!ValidIndex(wParam)) { result = CB_ERR; return true; }
        m_combo->setItemData(index, QVariant::fromValue(static_cast<qulonglong>(lParam)), kDataRole);
        result = CB_OKAY;
        return true;
    case CB_SETITEMHEIGHT:
        if (lParam <= 0 || lParam > 0x7FFF) { result = CB_ERR; return true; }
        SetItemHeight(index, static_cast<int>(lParam));
        result = CB_OKAY;
        return true;
    case CB_GETITEMHEIGHT: result = index < 0 ? Window()->GetClientRect().Height() : ItemHeight(); return true;
    case CB_SHOWDROPDOWN:
        if (wParam != 0 && !m_combo->dropped)
            m_combo->showPopup();
        else if (wParam == 0 && m_combo->dropped)
            m_combo->hidePopup();
        result = 1;
        return true;
    case CB_GETDROPPEDSTATE: result = m_combo->dropped ? 1 : 0; return true;
    default: return false;
    }
}

} // namespace

NativeControl* CreateComboControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
{
    DWORD type = cs.style & CBS_TYPEMASK;
    if (type != CBS_DROPDOWN && type != CBS_DROPDOWNLIST)
        return nullptr; // the always-open list (CBS_SIMPLE) is not available
    return new ComboControl(window, host, cs);
}

} // namespace Ombrel::Internal
