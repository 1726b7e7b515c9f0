#include "PrintTestSupport.h"

#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "support/Harness.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace Ombrel::GUI::Testing {

OMBREL_BEGIN_FIELD_MAP(CPrintRecord)
    OMBREL_FIELD(CPrintRecord::kName, "Name", &CPrintRecord::GetName)
    OMBREL_FIELD(CPrintRecord::kAmount, "Amount", &CPrintRecord::GetAmount)
    OMBREL_FIELD(CPrintRecord::kCity, "City", &CPrintRecord::GetCity)
OMBREL_END_FIELD_MAP()

CPrintedGridWindow::CPrintedGridWindow(int rows)
{
    EXPECT_TRUE(grid.Create(WS_POPUP, CRect(0, 0, 400, 300), nullptr, 1));
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(CPrintRecord::kName, "Name", 120));
    header->AddColumn(new CColumn(CPrintRecord::kAmount, "Amount", 100));
    header->AddColumn(new CColumn(CPrintRecord::kCity, "City", 100));
    grid.SetHeader(header);
    AddRows(rows);
}

CPrintedGridWindow::~CPrintedGridWindow()
{
    grid.DestroyWindow();
}

void CPrintedGridWindow::AddRows(int count)
{
    grid.EnableNotifications(false);
    for (int i = 0; i < count; ++i) {
        const int number = static_cast<int>(records.size());
        records.push_back(std::make_unique<CPrintRecord>(CString(("row " + std::to_string(number)).c_str()), number));
        grid.Add(records.back().get());
    }
    grid.UpdateLayout();
}

void PickListEntry(CComboBox& list, int index)
{
    if (index > 0) {
        list.SetCurSel(index - 1);
        Test::Key(list, ::Qt::Key_Down);
    } else {
        list.SetCurSel(1);
        Test::Key(list, ::Qt::Key_Up);
    }
}

void AnswerNextModalDialog(bool accept)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, accept] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        timer->stop();
        timer->deleteLater();
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    timer->start(20);
}

std::string TemporaryPath(const char* name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string file = std::string(info != nullptr ? info->name() : "print") + "-" + name;
    return (std::filesystem::temp_directory_path() / file).string();
}

} // namespace Ombrel::GUI::Testing
