#include "app/main_window.h"

#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

static void initResources() {
    Q_INIT_RESOURCE(app);
}

namespace lc {

namespace {

const QPoint kViewPosition{16, 32};

QPalette blackOnWhiteWithoutInactiveSelection(QPalette palette) {
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    // A list without the focus does not draw its selection.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    return palette;
}

}  // namespace

MainWindow::MainWindow(const BrowserViewFactory& makeView, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    initResources();
    setWindowTitle(QStringLiteral("速券通2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    // Stacking, bottom to top: tab control, source view, claim view, start button.
    buildTabs();
    buildViews(makeView);
    startButton_ = new QPushButton(QStringLiteral("登录后点击我"), this);
    startButton_->setObjectName(QStringLiteral("按钮1"));
    startButton_->setGeometry(16, 584, 936, 48);
    buildMenu();
    buildTimers();

    auto* closeOnEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closeOnEscape, &QShortcut::activated, this, &QWidget::close);

    applyOuterGeometry();
}

QRect MainWindow::outerGeometryOn(const QRect& screen) {
    return {screen.left() + (screen.width() - kOuterSize.width()) / 2,
            screen.top() + (screen.height() - kOuterSize.height()) / 2, kOuterSize.width(),
            kOuterSize.height()};
}

void MainWindow::buildTabs() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("选择夹1"));
    tabs_->setGeometry(8, 0, 952, 576);
    const QString captions[] = {QStringLiteral("淘宝登录/速券通操作预览区"), QStringLiteral("监控源"),
                                QStringLiteral("领取结果"), QStringLiteral("视频教程")};
    for (const QString& caption : captions) {
        auto* page = new QWidget;
        page->installEventFilter(this);
        tabs_->addTab(page, caption);
    }
    buildResultsPage(tabs_->widget(2));
    buildTutorialPage(tabs_->widget(3));
}

void MainWindow::buildResultsPage(QWidget* page) {
    resultsLabel_ =
        new QLabel(QStringLiteral("正在监控“监控源”中的最新一条记录ing...(右键表项均可复制)"), page);
    resultsLabel_->setObjectName(QStringLiteral("标签1"));
    placeOnPage(page, resultsLabel_, {8, 24, 936, 24});

    resultsList_ = new QTreeWidget(page);
    resultsList_->setObjectName(QStringLiteral("超级列表框1"));
    placeOnPage(page, resultsList_, {8, 56, 936, 512});
    resultsList_->setColumnCount(4);
    resultsList_->setHeaderLabels({QStringLiteral("ID"),
                                   QStringLiteral("淘礼金中的商品标题（非监控源中的商品标题）"),
                                   QStringLiteral("淘礼金商品链接"), QStringLiteral("速券通结果")});
    const int widths[] = {50, 300, 200, 300};
    for (int column = 0; column < 4; ++column) resultsList_->setColumnWidth(column, widths[column]);
    QHeaderView* header = resultsList_->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    resultsList_->setRootIsDecorated(false);
    resultsList_->setItemsExpandable(false);
    resultsList_->setUniformRowHeights(true);
    resultsList_->setSelectionMode(QAbstractItemView::SingleSelection);
    resultsList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsList_->setAllColumnsShowFocus(true);
    resultsList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsList_->setSortingEnabled(false);
    resultsList_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    resultsList_->setPalette(blackOnWhiteWithoutInactiveSelection(resultsList_->palette()));
}

void MainWindow::buildTutorialPage(QWidget* page) {
    tutorialButton_ = new QPushButton(QStringLiteral("点击观看视频教程"), page);
    tutorialButton_->setObjectName(QStringLiteral("按钮2"));
    placeOnPage(page, tutorialButton_, {240, 184, 448, 88});
}

void MainWindow::buildViews(const BrowserViewFactory& makeView) {
    sourceView_ = makeNamedView(makeView, QStringLiteral("青篱免单采集网Webview1"));
    // The source view shows its page but takes no input for the whole run.
    sourceView_->widget()->setEnabled(false);
    claimView_ = makeNamedView(makeView, QStringLiteral("淘宝Webview"));
}

BrowserView* MainWindow::makeNamedView(const BrowserViewFactory& makeView, const QString& name) {
    BrowserView* view = makeView(this, name);
    if (!view->parent()) view->setParent(this);
    view->setObjectName(name);
    QWidget* widget = view->widget();
    widget->setObjectName(name);
    widget->move(kViewPosition);
    view->setSize(0, 0);
    view->setVisible(false);
    widget->raise();
    return view;
}

void MainWindow::buildMenu() {
    // Only a popup: the window shows no menu bar.
    listMenu_ = new QMenu(this);
    listMenu_->setObjectName(QStringLiteral("菜单"));
    copyTitleAction_ = listMenu_->addAction(QStringLiteral("复制商品标题"));
    copyLinkAction_ = listMenu_->addAction(QStringLiteral("复制商品链接"));
}

void MainWindow::buildTimers() {
    tabResetTimer_ = new PeriodTimer(this);
    tabResetTimer_->setObjectName(QStringLiteral("用户行为重置1"));
    heartbeatTimer_ = new PeriodTimer(this);
    heartbeatTimer_->setObjectName(QStringLiteral("beat_时钟1"));
    monitorTimer_ = new PeriodTimer(this);
    monitorTimer_->setObjectName(QStringLiteral("淘礼金监控_时钟1"));
}

void MainWindow::placeOnPage(QWidget* page, QWidget* control, const QRect& inTabControl) {
    pagePlacements_.push_back({control, inTabControl});
    control->setGeometry(inTabControl);
    placePageControls(page);
}

// Page controls are placed relative to the tab control, whatever the height of its tab bar.
void MainWindow::placePageControls(QWidget* page) {
    const QPoint pageOrigin = page->mapTo(tabs_, QPoint(0, 0));
    for (const PagePlacement& placement : pagePlacements_)
        if (placement.control->parentWidget() == page)
            placement.control->setGeometry(placement.inTabControl.translated(-pageOrigin));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show)
        placePageControls(static_cast<QWidget*>(watched));
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownBefore_) return;
    shownBefore_ = true;
    // Window decorations are known only once the window is on screen.
    QTimer::singleShot(0, this, &MainWindow::applyOuterGeometry);
}

void MainWindow::applyOuterGeometry() {
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect outer = outerGeometryOn(screen->geometry());
    const QSize decorations = frameGeometry().size() - size();
    resize(outer.size() - decorations);
    move(outer.topLeft());  // a window's position is that of its frame
}

}  // namespace lc
