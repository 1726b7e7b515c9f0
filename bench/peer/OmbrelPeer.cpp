#include "OmbrelPeer.h"

#include <QPixmap>

#include <memory_resource>
#include <vector>

#include "Measure.h"
#include "Record.h"
#include "UpdateLoad.h"
#include "ombrel/GUI.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/QtInterop.h"

namespace OmbrelBench {

namespace {

using namespace Ombrel;
using namespace Ombrel::GUI;

// Paints quantity cells as the standard format does and reports the text each one shows to
// the update load, so that a probe's latency ends when its new value is on screen.
class CProbeCellFormat final : public CCellPaintFormat
{
public:
    explicit CProbeCellFormat(CUpdateLoad* const& load) : m_load(load) {}

    ICellPaintFormat* CreateNew() const override { return new CProbeCellFormat(m_load); }

protected:
    CString GetCellText(const CellPaintContext& context) const override
    {
        CString text = CCellPaintFormat::GetCellText(context);
        if (m_load != nullptr && context.row != nullptr) {
            const auto* record = static_cast<const CRecord*>(context.row->GetDataObject());
            std::int32_t shown = 0;
            if (record != nullptr && ParseShownNumber(text, shown))
                m_load->OnPainted(record->GetIndex(), shown);
        }
        return text;
    }

private:
    // The number a cell shows, whatever digit grouping the format puts in.
    static bool ParseShownNumber(const CString& text, std::int32_t& value)
    {
        std::int64_t magnitude = 0;
        bool negative = false;
        bool anyDigit = false;
        for (const char ch : text.View()) {
            if (ch == '-' && !anyDigit)
                negative = true;
            else if (ch >= '0' && ch <= '9') {
                magnitude = magnitude * 10 + (ch - '0');
                anyDigit = true;
                if (magnitude > 0x7fffffffLL + 1)
                    return false;
            }
        }
        if (!anyDigit)
            return false;
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        return true;
    }

    CUpdateLoad* const& m_load; // the side's current load; window thread only
};

// Receives the workers' acknowledgement requests behind their changes in the window thread's
// queue, which delivers posted messages in order.
class CAckWindow final : public CWnd
{
public:
    static constexpr UINT kAckMessage = WM_APP + 1; // wParam: worker, lParam: change count

    explicit CAckWindow(CUpdateLoad* const& load) : m_load(load) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kAckMessage)
            return CWnd::WindowProc(message, wParam, lParam);
        if (m_load != nullptr)
            m_load->OnApplied(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    }

private:
    CUpdateLoad* const& m_load;
};

// The records of one load, made one after another in blocks of a monotonic arena, as a program
// that loads a table at once would keep them: one allocation a block instead of one a record,
// and the records lie in load order. They live until the store goes.
class CRecordStore
{
public:
    CRecordStore() = default;
    CRecordStore(const CRecordStore&) = delete;
    CRecordStore& operator=(const CRecordStore&) = delete;
    ~CRecordStore()
    {
        std::pmr::polymorphic_allocator<CRecord> allocator(&m_memory);
        for (CRecord* record : m_records)
            allocator.delete_object(record);
    }

    void Reserve(std::size_t count) { m_records.reserve(count); }
    CRecord* Make(const RowValues& values)
    {
        std::pmr::polymorphic_allocator<CRecord> allocator(&m_memory);
        m_records.push_back(allocator.new_object<CRecord>(static_cast<int>(m_records.size()), values));
        return m_records.back();
    }
    std::size_t Size() const { return m_records.size(); }
    CRecord& operator[](std::size_t index) const { return *m_records[index]; }

private:
    std::pmr::monotonic_buffer_resource m_memory;
    std::vector<CRecord*> m_records;
};

class COmbrelSide final : public IPeerSide, public IUpdateTarget
{
public:
    explicit COmbrelSide(OmbrelLoadMode mode) : m_mode(mode), m_ackWindow(m_load)
    {
        auto* header = new CHeader();
        header->AddColumn(new CColumn(kNameField, "Name", kColumnWidths[kNameColumn]));
        header->AddColumn(new CColumn(kQuantityField, "Quantity", kColumnWidths[kQuantityColumn],
                                      CColumn::AlignAuto, true, -1, -1, nullptr,
                                      new CProbeCellFormat(m_load)));
        header->AddColumn(new CColumn(kVolumeField, "Volume", kColumnWidths[kVolumeColumn]));
        header->AddColumn(new CColumn(kPriceField, "Price", kColumnWidths[kPriceColumn]));
        header->AddColumn(new CColumn(kDateField, "Date", kColumnWidths[kDateColumn]));
        header->AddColumn(new CColumn(kCityField, "City", kColumnWidths[kCityColumn]));
        m_grid.Create(WS_OVERLAPPED | WS_VSCROLL | WS_HSCROLL,
                      CRect(0, 0, kWindowWidth, kWindowHeight), nullptr, 0);
        m_grid.SetHeader(header);
        m_grid.SetSortInfo(0, CSortInfo(kQuantityField, false), false);
        m_grid.SetSortInfo(1, CSortInfo(kNameField, false), true);
        m_grid.ShowWindow(SW_SHOW);
        m_ackWindow.CreateMessageOnly(nullptr);
        ProcessEvents();
    }

    // Rows go before their objects: a row must not outlive what it shows.
    ~COmbrelSide() override { m_grid.DestroyWindow(); }

    void Load(const std::vector<RowValues>& rows) override
    {
        m_records.Reserve(rows.size());
        m_grid.EnableNotifications(false);
        if (m_mode == OmbrelLoadMode::AddMany) {
            std::vector<Common::CDataObject*> objects;
            objects.reserve(rows.size());
            for (const RowValues& values : rows)
                objects.push_back(m_records.Make(values));
            m_grid.AddMany(objects);
        } else {
            for (const RowValues& values : rows)
                m_grid.Add(m_records.Make(values));
        }
        m_grid.EnableNotifications(true);
    }

    int GetLoadedRowCount() const override { return static_cast<int>(m_records.Size()); }

    void ProcessEvents() override { PumpMessages(); }

    void RunEventLoopFor(int milliseconds) override
    {
        const std::int64_t deadline = NowNs() + static_cast<std::int64_t>(milliseconds) * 1000000;
        for (std::int64_t now = NowNs(); now < deadline; now = NowNs())
            PumpMessagesFor(static_cast<std::uint32_t>((deadline - now) / 1000000 + 1));
    }

    void Grab() override { m_image = GetWidget(m_grid)->grab(); }
    bool SaveGrab(const char* path) const override { return m_image.save(path, "PNG"); }

    int GetTopRow() override { return m_grid.GetTopRow(); }
    void SetTopRow(int index) override { m_grid.SetTopRow(index); }
    int GetPageRowCount() override { return m_grid.GetPageRowCount(); }

    bool PageDown() override
    {
        const int before = m_grid.GetTopRow();
        m_grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        return m_grid.GetTopRow() != before;
    }

    IUpdateTarget& GetUpdateTarget() override { return *this; }
    void SetUpdateLoad(CUpdateLoad* load) override { m_load = load; }

    // Worker threads. The records are not added or removed while the workers run.
    void Change(int record, std::int32_t quantity) override
    {
        m_records[static_cast<std::size_t>(record)].SetQuantity(quantity);
    }

    void RequestAck(int worker, int count) override
    {
        m_ackWindow.PostMessage(CAckWindow::kAckMessage, static_cast<WPARAM>(worker),
                                static_cast<LPARAM>(count));
    }

private:
    OmbrelLoadMode m_mode;
    CUpdateLoad* m_load = nullptr; // window thread only
    CRecordStore m_records;
    CGrid m_grid;
    CAckWindow m_ackWindow;
    QPixmap m_image;
};

} // namespace

std::unique_ptr<IPeerSide> CreateOmbrelSide(OmbrelLoadMode mode)
{
    return std::make_unique<COmbrelSide>(mode);
}

} // namespace OmbrelBench
