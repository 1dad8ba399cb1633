#include "browser/webengine_browser_view.h"

#include <QCoro/QCoroSignal>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <memory>
#include <optional>

namespace lc {

namespace {

// The first answer of one script evaluation, or an empty one when the page can no longer answer.
class ScriptAnswer : public QObject {
    Q_OBJECT
public:
    void deliver(const QString& value) {
        if (delivered_) return;
        delivered_ = true;
        emit answered(value);
    }
    void abandon() { deliver({}); }

signals:
    void answered(const QString& value);

private:
    bool delivered_ = false;
};

// The engine answers late or never; the callback may outlive the awaiting coroutine, so both
// share the answer, and it is deleted from the event loop rather than inside its own signal.
std::shared_ptr<ScriptAnswer> makeScriptAnswer() {
    return {new ScriptAnswer, [](ScriptAnswer* answer) { answer->deleteLater(); }};
}

// The script is the expression of a return statement; the line break keeps a trailing
// comment or semicolon harmless. A thrown error answers with its string form.
QString returningStringForm(const QString& script) {
    return QStringLiteral(
               "(function () {\n"
               "  try {\n"
               "    return String((function () { return ") %
           script.trimmed() %
           QStringLiteral(
               "\n    })());\n"
               "  } catch (e) {\n"
               "    return String(e);\n"
               "  }\n"
               "})()");
}

QString jsStringLiteral(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString clickNthMatchScript(const QString& selector, int position) {
    return QStringLiteral(
               "(function (selector, position) {\n"
               "  const element = document.querySelectorAll(selector)[position - 1];\n"
               "  if (element) element.click();\n"
               "  return '';\n"
               "})(") %
           jsStringLiteral(selector) % QStringLiteral(", ") % QString::number(position) % QStringLiteral(")");
}

}  // namespace

WebEngineBrowserView::WebEngineBrowserView(QWebEngineProfile* profile, QWidget* parent,
                                           std::chrono::milliseconds scriptBound)
    : view_(new QWebEngineView(parent)), scriptBound_(scriptBound) {
    auto* page = new QWebEnginePage(profile, view_);
    view_->setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowserView::onLoadingChanged);
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            &WebEngineBrowserView::onRenderProcessTerminated);
}

WebEngineBrowserView::~WebEngineBrowserView() {
    delete view_.data();
}

QWidget* WebEngineBrowserView::widget() {
    return view_;
}

QWebEngineView* WebEngineBrowserView::webView() const {
    return view_;
}

int WebEngineBrowserView::width() const {
    return view_ ? view_->width() : 0;
}
int WebEngineBrowserView::height() const {
    return view_ ? view_->height() : 0;
}

void WebEngineBrowserView::setSize(int width, int height) {
    if (view_) view_->resize(width, height);
}

bool WebEngineBrowserView::isVisible() const {
    return view_ && !view_->isHidden();
}

void WebEngineBrowserView::setVisible(bool visible) {
    if (view_) view_->setVisible(visible);
}

QString WebEngineBrowserView::address() const {
    return view_ ? view_->url().toString() : QString();
}

void WebEngineBrowserView::setAddress(const QString& url) {
    if (view_) view_->setUrl(QUrl(url));
}

QCoro::Task<std::string> WebEngineBrowserView::runScript(QString script) {
    QWebEnginePage* page = view_ ? view_->page() : nullptr;
    if (!page) co_return std::string();

    auto answer = makeScriptAnswer();
    connect(this, &WebEngineBrowserView::scriptsAbandoned, answer.get(), &ScriptAnswer::abandon);
    page->runJavaScript(returningStringForm(script), QWebEngineScript::ApplicationWorld,
                        [answer](const QVariant& value) { answer->deliver(value.toString()); });

    // The view may be gone when this resumes (a destroyed page answers its pending scripts
    // empty): only the answer is touched from here on.
    const std::optional<QString> value = co_await qCoro(answer.get(), &ScriptAnswer::answered, scriptBound_);
    co_return value ? value->toUtf8().toStdString() : std::string();
}

QCoro::Task<> WebEngineBrowserView::clickElement(int mode, QString selector, int index) {
    if (mode != 2) co_return;
    co_await runScript(clickNthMatchScript(selector, index > 0 ? index : 1));
}

void WebEngineBrowserView::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
    const int result = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus ? 1 : 0;
    emit loadFinished(address(), result, info.errorString());
}

void WebEngineBrowserView::onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status) {
    emit scriptsAbandoned();
    if (status != QWebEnginePage::NormalTerminationStatus && view_)
        QTimer::singleShot(0, view_.data(), &QWebEngineView::reload);
}

}  // namespace lc

#include "webengine_browser_view.moc"
