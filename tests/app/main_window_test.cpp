#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include "app_test_support.h"

namespace {

using lc::MainWindow;
using lc::testing::fakeViewFactory;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindow window{fakeViewFactory()};

    template <typename T = QWidget>
    T* control(const char* name) {
        T* found = window.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void showAndWait() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(10);  // the outer geometry is fitted once the window is on screen
    }
};

TEST_F(MainWindowTest, WindowHasCaptionOuterSizeCentredAndNoMaximizeBox) {
    showAndWait();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("速券通2.0"));
    const QRect outer = MainWindow::outerGeometryOn(window.screen()->geometry());
    EXPECT_EQ(window.frameGeometry().size(), QSize(961, 669));
    // The offscreen screen is narrower than the window, and the platform moves a negative left edge.
    EXPECT_EQ(window.frameGeometry().top(), outer.top());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST(MainWindowGeometry, OuterGeometryIsCentredWithIntegerDivision) {
    struct Case {
        QRect screen;
        QRect expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1080}, {479, 205, 961, 669}},
        {{0, 0, 1280, 800}, {159, 65, 961, 669}},
        {{1920, 0, 1366, 768}, {1920 + 202, 49, 961, 669}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MainWindow::outerGeometryOn(c.screen), c.expected) << c.screen.width();
}

TEST_F(MainWindowTest, ControlsSitWhereTheDesignPutsThem) {
    showAndWait();
    struct Row {
        const char* name;
        int page;  // -1: a control of the window, placed in its client area; else placed in the tab control
        QRect rect;
        const char* text;
    };
    const Row rows[] = {
        {"选择夹1", -1, {8, 0, 952, 576}, nullptr},
        {"按钮1", -1, {16, 584, 936, 48}, "登录后点击我"},
        {"淘宝Webview", -1, {16, 32, 0, 0}, nullptr},
        {"青篱免单采集网Webview1", -1, {16, 32, 0, 0}, nullptr},
        {"标签1", 2, {8, 24, 936, 24}, "正在监控“监控源”中的最新一条记录ing...(右键表项均可复制)"},
        {"超级列表框1", 2, {8, 56, 936, 512}, nullptr},
        {"按钮2", 3, {240, 184, 448, 88}, "点击观看视频教程"},
    };
    QTabWidget* tabs = control<QTabWidget>("选择夹1");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget* widget = control(row.name);
        if (row.page < 0) {
            EXPECT_EQ(widget->parentWidget(), &window);
            EXPECT_EQ(widget->geometry(), row.rect);
        } else {
            EXPECT_EQ(widget->parentWidget(), tabs->widget(row.page));
            tabs->setCurrentIndex(row.page);
            EXPECT_EQ(QRect(widget->mapTo(tabs, QPoint(0, 0)), widget->size()), row.rect);
            EXPECT_TRUE(widget->isVisible());
        }
        if (row.text) {
            EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(row.text));
        }
    }
}

TEST_F(MainWindowTest, TabsAndTheirPagesInOrder) {
    QTabWidget* tabs = control<QTabWidget>("选择夹1");
    const QStringList expected = {QStringLiteral("淘宝登录/速券通操作预览区"), QStringLiteral("监控源"),
                                  QStringLiteral("领取结果"), QStringLiteral("视频教程")};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), expected[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(MainWindowTest, ViewsAreHiddenAndTheSourceViewTakesNoInput) {
    EXPECT_FALSE(window.claimView().isVisible());
    EXPECT_FALSE(window.sourceView().isVisible());
    EXPECT_TRUE(window.claimView().widget()->isEnabled());
    EXPECT_FALSE(window.sourceView().widget()->isEnabled());
    EXPECT_EQ(window.findChild<lc::BrowserView*>(QStringLiteral("淘宝Webview")), &window.claimView());
    EXPECT_EQ(window.findChild<lc::BrowserView*>(QStringLiteral("青篱免单采集网Webview1")),
              &window.sourceView());
}

TEST_F(MainWindowTest, StackingPutsButtonThenClaimViewThenSourceViewOverTheTabs) {
    QStringList bottomToTop;
    for (QObject* child : window.children())
        if (child->isWidgetType() && !child->objectName().isEmpty() && child != &window.listMenu())
            bottomToTop.append(child->objectName());
    EXPECT_EQ(bottomToTop, (QStringList{QStringLiteral("选择夹1"), QStringLiteral("青篱免单采集网Webview1"),
                                        QStringLiteral("淘宝Webview"), QStringLiteral("按钮1")}));

    showAndWait();
    window.claimView().setSize(916, 520);
    window.sourceView().setSize(916, 520);
    window.claimView().setVisible(true);
    window.sourceView().setVisible(true);
    EXPECT_EQ(window.childAt(100, 100), window.claimView().widget());
    window.claimView().setVisible(false);
    EXPECT_EQ(window.childAt(100, 100), window.sourceView().widget());
    window.sourceView().setVisible(false);
    EXPECT_TRUE(window.tabs().isAncestorOf(window.childAt(100, 100)));
}

TEST_F(MainWindowTest, ResultsListIsAPlainReportView) {
    QTreeWidget* list = control<QTreeWidget>("超级列表框1");
    QHeaderView* header = list->header();
    EXPECT_FALSE(list->isHeaderHidden());
    const QStringList titles = {QStringLiteral("ID"),
                                QStringLiteral("淘礼金中的商品标题（非监控源中的商品标题）"),
                                QStringLiteral("淘礼金商品链接"), QStringLiteral("速券通结果")};
    const int widths[] = {50, 300, 200, 300};
    ASSERT_EQ(list->columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), titles[column]);
        EXPECT_EQ(header->sectionSize(column), widths[column]);
    }
    EXPECT_FALSE(header->stretchLastSection());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_EQ(list->frameShadow(), QFrame::Sunken);
    const QPalette palette = list->palette();
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
              palette.color(QPalette::Inactive, QPalette::Base));
}

TEST_F(MainWindowTest, TimersAreStoppedAndTheMenuIsOnlyAPopup) {
    for (const char* name : {"用户行为重置1", "beat_时钟1", "淘礼金监控_时钟1"}) {
        lc::PeriodTimer* timer = window.findChild<lc::PeriodTimer*>(QString::fromUtf8(name));
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->period(), 0) << name;
    }
    QMenu* menu = control<QMenu>("菜单");
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("复制商品标题"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("复制商品链接"));
    EXPECT_EQ(window.findChild<QMenuBar*>(), nullptr);
}

TEST_F(MainWindowTest, EscapeAloneClosesTheWindow) {
    QApplication::setQuitOnLastWindowClosed(false);
    struct Case {
        Qt::KeyboardModifiers modifiers;
        bool closes;
    };
    const Case cases[] = {{Qt::ControlModifier, false},
                          {Qt::ShiftModifier, false},
                          {Qt::AltModifier, false},
                          {Qt::NoModifier, true}};
    showAndWait();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.startButton().setFocus();
    for (const Case& c : cases) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape, c.modifiers);
        EXPECT_EQ(!window.isVisible(), c.closes) << c.modifiers;
    }
    QApplication::setQuitOnLastWindowClosed(true);
}

}  // namespace
