// The program's only window: the tab control with its pages, the two browser views over the
// page area, the start button, the results list with its popup menu, and the three timers.
// Every control carries its design name as objectName.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRect>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/period_timer.h"
#include "browser/browser_view.h"

namespace lc {

// Creates a browser view whose widget is a child of parent, named objectName.
using BrowserViewFactory = std::function<BrowserView*(QWidget* parent, const QString& objectName)>;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kOuterSize{961, 669};

    explicit MainWindow(const BrowserViewFactory& makeView, QWidget* parent = nullptr);

    BrowserView& claimView() { return *claimView_; }
    BrowserView& sourceView() { return *sourceView_; }
    QTabWidget& tabs() { return *tabs_; }
    QPushButton& startButton() { return *startButton_; }
    QPushButton& tutorialButton() { return *tutorialButton_; }
    QTreeWidget& resultsList() { return *resultsList_; }
    QMenu& listMenu() { return *listMenu_; }
    QAction& copyTitleAction() { return *copyTitleAction_; }
    QAction& copyLinkAction() { return *copyLinkAction_; }
    PeriodTimer& tabResetTimer() { return *tabResetTimer_; }
    PeriodTimer& heartbeatTimer() { return *heartbeatTimer_; }
    PeriodTimer& monitorTimer() { return *monitorTimer_; }

    // The outer geometry (frame included) for a screen: kOuterSize, centred.
    static QRect outerGeometryOn(const QRect& screen);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PagePlacement {
        QWidget* control;
        QRect inTabControl;
    };

    void buildTabs();
    void buildResultsPage(QWidget* page);
    void buildTutorialPage(QWidget* page);
    void buildViews(const BrowserViewFactory& makeView);
    void buildMenu();
    void buildTimers();
    BrowserView* makeNamedView(const BrowserViewFactory& makeView, const QString& name);
    void placeOnPage(QWidget* page, QWidget* control, const QRect& inTabControl);
    void placePageControls(QWidget* page);
    void applyOuterGeometry();

    QTabWidget* tabs_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* tutorialButton_ = nullptr;
    QLabel* resultsLabel_ = nullptr;
    QTreeWidget* resultsList_ = nullptr;
    BrowserView* claimView_ = nullptr;
    BrowserView* sourceView_ = nullptr;
    QMenu* listMenu_ = nullptr;
    QAction* copyTitleAction_ = nullptr;
    QAction* copyLinkAction_ = nullptr;
    PeriodTimer* tabResetTimer_ = nullptr;
    PeriodTimer* heartbeatTimer_ = nullptr;
    PeriodTimer* monitorTimer_ = nullptr;
    std::vector<PagePlacement> pagePlacements_;
    bool shownBefore_ = false;
};

}  // namespace lc
