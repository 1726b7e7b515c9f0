// A live, sorted grid in a QMainWindow: four fields per stock, a worker thread moving the
// prices, rows re-sorting and fading as they change, the selection in the status bar.
//
//   qt-live-grid                    runs until the window is closed
//   qt-live-grid --screenshot FILE  runs for a moment, selects a row, writes the window to
//                                   FILE (PNG) and exits; 0 when all of that worked

#include <ombrel/Common.h>
#include <ombrel/GUI.h>
#include <ombrel/qt/GridWidget.h>

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace Ombrel;

// A stock: every value is read and written under the object's lock; a setter announces its
// field after the lock is released.
class CStock : public Common::CLockedDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    enum : int { kSymbol = 1, kPrice, kChange, kVolume };

    CStock(std::string symbol, double price) : m_symbol(std::move(symbol)), m_price(price) {}
    ~CStock() override { NotifyDestroy(); }

    std::string GetSymbol() const { return Read(m_symbol); }
    double GetPrice() const { return Read(m_price); }
    double GetChange() const { return Read(m_change); }
    std::int64_t GetVolume() const { return Read(m_volume); }
    void SetPrice(double value) { Write(m_price, value); }
    void SetChange(double value) { Write(m_change, value); }
    void SetVolume(std::int64_t value) { Write(m_volume, value); }

private:
    Field<std::string, kSymbol> m_symbol;
    Field<double, kPrice> m_price;
    Field<double, kChange> m_change;
    Field<std::int64_t, kVolume> m_volume;
};

OMBREL_BEGIN_FIELD_MAP(CStock)
    OMBREL_FIELD(kSymbol, "Symbol", &CStock::GetSymbol)
    OMBREL_FIELD(kPrice, "Price", &CStock::GetPrice, &CStock::SetPrice, (new Common::CDoubleFormat(2, true)))
    OMBREL_FIELD(kChange, "Change %", &CStock::GetChange, &CStock::SetChange, (new Common::CDoubleFormat(2, true)))
    OMBREL_FIELD(kVolume, "Volume", &CStock::GetVolume, &CStock::SetVolume)
OMBREL_END_FIELD_MAP()

// Moves one random stock every few milliseconds until it is destroyed.
class CMarket
{
public:
    explicit CMarket(const std::vector<std::unique_ptr<CStock>>& stocks)
        : m_worker([&stocks](std::stop_token stop) {
              std::mt19937 random(7);
              std::uniform_real_distribution<double> step(-0.02, 0.02);
              while (!stop.stop_requested()) {
                  CStock& stock = *stocks[random() % stocks.size()];
                  const double change = step(random);
                  stock.SetPrice(stock.GetPrice() * (1.0 + change));
                  stock.SetChange(change * 100.0);
                  stock.SetVolume(stock.GetVolume() + static_cast<std::int64_t>(random() % 500));
                  std::this_thread::sleep_for(std::chrono::milliseconds(60));
              }
          })
    {
    }

private:
    std::jthread m_worker; // stopped and joined first thing in destruction
};

GUI::CHeader* NewHeader()
{
    auto* header = new GUI::CHeader(true); // the grid deletes it
    header->AddColumn(new GUI::CColumn(CStock::kSymbol, "Symbol", 90));
    header->AddColumn(new GUI::CColumn(CStock::kPrice, "Price", 90));
    header->AddColumn(new GUI::CColumn(CStock::kChange, "Change %", 90));
    header->AddColumn(new GUI::CColumn(CStock::kVolume, "Volume", 100));
    return header;
}

std::vector<std::unique_ptr<CStock>> NewStocks()
{
    const char* symbols[] = {"ACME", "BOLT", "CRUX", "DYNA", "EMBR", "FLUX", "GRIT", "HALO",
                             "IRIS", "JADE", "KITE", "LUMA", "MOSS", "NOVA", "ONYX", "PIKE"};
    std::vector<std::unique_ptr<CStock>> stocks;
    double price = 20.0;
    for (const char* symbol : symbols)
        stocks.push_back(std::make_unique<CStock>(symbol, price += 7.5));
    return stocks;
}

// Shows the selection in the status bar: how many rows, and the focused stock.
void FollowSelection(GridWidget& view, QStatusBar& status)
{
    QObject::connect(&view, &GridWidget::selectionChanged, &status, [&view, &status](GUI::CGridItem* row, bool selected) {
        const int count = view.grid().GetSelectedCount();
        QString text = QString("%1 selected").arg(count);
        if (selected)
            text += QString(" - last: %1").arg(QString::fromStdString(view.grid().GetFieldText(row, CStock::kSymbol)));
        status.showMessage(text);
    });
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype shotAt = arguments.indexOf("--screenshot");
    const QString screenshot = shotAt > 0 && shotAt + 1 < arguments.size() ? arguments[shotAt + 1] : QString();

    const auto stocks = NewStocks(); // outlives the window and the market

    QMainWindow window;
    window.setWindowTitle("Ombrel live grid");
    auto* view = new GridWidget;
    window.setCentralWidget(view);
    FollowSelection(*view, *window.statusBar());
    GUI::CGrid& grid = view->grid();
    grid.SetHeader(NewHeader());
    for (const auto& stock : stocks)
        grid.Add(stock.get());
    grid.SetSortInfo(0, GUI::CSortInfo(CStock::kChange, true)); // biggest gain on top
    window.resize(420, 360);
    window.show();

    CMarket market(stocks);
    if (screenshot.isEmpty())
        return app.exec();

    int result = 1;
    QTimer::singleShot(1500, [&] {
        grid.SelectAt(0, GUI::ROW_NORMAL);
        const bool selectionShown = window.statusBar()->currentMessage().startsWith("1 selected");
        const bool saved = window.grab().save(screenshot, "PNG");
        if (!selectionShown)
            std::fprintf(stderr, "the status bar did not follow the selection\n");
        if (!saved)
            std::fprintf(stderr, "could not write %s\n", qPrintable(screenshot));
        result = selectionShown && saved && grid.GetRowCount(GUI::ROW_NORMAL) == int(stocks.size()) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return result;
}
