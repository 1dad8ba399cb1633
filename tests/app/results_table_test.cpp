#include "monitor/results_table.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QTest>

#include "app_test_support.h"
#include "support/fake_desktop_services.h"
#include "text/encoding.h"

namespace {

using lc::ResultsTable;

std::string gbk(const char* utf8) {
    return lc::utf8ToGbk(utf8);
}

class ResultsTableTest : public ::testing::Test {
protected:
    lc::MainWindow window{lc::testing::fakeViewFactory()};
    lc::testing::FakeDesktopServices desktop;
    ResultsTable table{window.resultsList(),
                       window.listMenu(),
                       window.copyTitleAction(),
                       window.copyLinkAction(),
                       {[this](const QString& text) { desktop.clipboard.setText(text); },
                        [this](const QString& text) { desktop.messages.show(text); }}};
    QTreeWidget& list = window.resultsList();

    QString cell(int row, int column) { return list.topLevelItem(row)->text(column); }

    void addRows(int count) {
        for (int i = 1; i <= count; ++i)
            table.addResultRow(gbk("商品") + std::to_string(i),
                               "https://uland.example/?e=" + std::to_string(i), gbk("领取成功！"));
    }

    // Shows the results page with the window at a known place on the screen.
    void showResultsPage() {
        window.tabs().setCurrentIndex(2);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(10);
        window.move(0, 0);
    }

    QPoint rowCentre(int row) { return list.visualItemRect(list.topLevelItem(row)).center(); }

    void rightClick(const QPoint& inViewport) {
        QWidget* viewport = list.viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, inViewport);
        QContextMenuEvent event(QContextMenuEvent::Mouse, inViewport, viewport->mapToGlobal(inViewport));
        QCoreApplication::sendEvent(viewport, &event);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, inViewport);
    }
};

TEST_F(ResultsTableTest, RowsAreNumberedFromOneAndShowTheirTexts) {
    addRows(10);
    ASSERT_EQ(list.topLevelItemCount(), 10);
    EXPECT_EQ(cell(0, ResultsTable::IdColumn), QStringLiteral("1"));
    EXPECT_EQ(cell(9, ResultsTable::IdColumn), QStringLiteral("10"));
    EXPECT_EQ(cell(9, ResultsTable::TitleColumn), QStringLiteral("商品10"));
    EXPECT_EQ(cell(9, ResultsTable::AddressColumn), QStringLiteral("https://uland.example/?e=10"));
    EXPECT_EQ(cell(9, ResultsTable::ResultColumn), QStringLiteral("领取成功！"));
}

TEST_F(ResultsTableTest, EmptyValuesShowAsNull) {
    struct Case {
        std::string title, address, result;
        const char* expected[3];
    };
    const Case cases[] = {
        {"", "https://uland.example/a", gbk("领取成功！"), {"null", "https://uland.example/a", "领取成功！"}},
        {gbk("标题"), "", "", {"标题", "null", "null"}},
        {"", "", "", {"null", "null", "null"}},
    };
    for (const Case& c : cases) table.addResultRow(c.title, c.address, c.result);
    for (int row = 0; row < 3; ++row)
        for (int column = 1; column <= 3; ++column)
            EXPECT_EQ(cell(row, column), QString::fromUtf8(cases[row].expected[column - 1])) << row << column;
}

TEST_F(ResultsTableTest, CopyPutsExactlyTheSelectedCellOnTheClipboard) {
    addRows(3);
    list.setCurrentItem(list.topLevelItem(1));
    table.copyLink();
    table.copyTitle();
    EXPECT_EQ(desktop.clipboard.texts,
              (QStringList{QStringLiteral("https://uland.example/?e=2"), QStringLiteral("商品2")}));
    EXPECT_EQ(desktop.messages.shown, (QStringList{QStringLiteral("复制成功"), QStringLiteral("复制成功")}));
}

TEST_F(ResultsTableTest, CopyWithoutSelectionCopiesTheEmptyTextAndStillReportsSuccess) {
    for (int rows : {0, 2}) {
        SCOPED_TRACE(rows);
        addRows(rows);
        desktop.clipboard.texts.clear();
        desktop.messages.shown.clear();
        EXPECT_EQ(table.selectedRow(), -1);
        window.copyLinkAction().trigger();
        EXPECT_EQ(desktop.clipboard.texts, QStringList{QString()});
        EXPECT_EQ(desktop.messages.shown, QStringList{QStringLiteral("复制成功")});
    }
}

TEST_F(ResultsTableTest, RightClickOnARowSelectsItAndOpensTheMenuBesideThePointer) {
    addRows(3);
    showResultsPage();
    list.setCurrentItem(list.topLevelItem(0));
    const QPoint pointer = rowCentre(2);
    rightClick(pointer);

    EXPECT_EQ(table.selectedRow(), 2);
    QMenu& menu = window.listMenu();
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), list.viewport()->mapToGlobal(pointer) + QPoint(3, 3));
    window.copyLinkAction().trigger();
    menu.hide();
    EXPECT_EQ(desktop.clipboard.texts, QStringList{QStringLiteral("https://uland.example/?e=3")});
}

TEST_F(ResultsTableTest, RightClickBelowTheRowsAlsoOpensTheMenu) {
    addRows(1);
    showResultsPage();
    const QPoint pointer(40, list.viewport()->height() - 40);
    ASSERT_EQ(list.itemAt(pointer), nullptr);
    rightClick(pointer);
    QMenu& menu = window.listMenu();
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), list.viewport()->mapToGlobal(pointer) + QPoint(3, 3));
    menu.hide();
}

}  // namespace
