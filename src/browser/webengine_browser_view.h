// A BrowserView on Qt WebEngine. Scripts run in an isolated world: they see the page's DOM,
// never its globals.
#pragma once

#include <QPointer>
#include <QWebEnginePage>
#include <chrono>

#include "browser/browser_view.h"

class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace lc {

class WebEngineBrowserView : public BrowserView {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kDefaultScriptBound{10000};

    // The view is created as a child of parent and shows pages of profile, which must outlive it.
    WebEngineBrowserView(QWebEngineProfile* profile, QWidget* parent,
                         std::chrono::milliseconds scriptBound = kDefaultScriptBound);
    ~WebEngineBrowserView() override;

    QWidget* widget() override;
    QWebEngineView* webView() const;

    int width() const override;
    int height() const override;
    void setSize(int width, int height) override;
    bool isVisible() const override;
    void setVisible(bool visible) override;

    QString address() const override;
    void setAddress(const QString& url) override;

    QCoro::Task<std::string> runScript(QString script) override;
    QCoro::Task<> clickElement(int mode, QString selector, int index) override;

signals:
    // Pending scripts will get no answer: the render process is gone.
    void scriptsAbandoned();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status);

    QPointer<QWebEngineView> view_;
    std::chrono::milliseconds scriptBound_;
};

}  // namespace lc
