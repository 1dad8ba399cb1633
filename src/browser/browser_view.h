// What the program needs of an embedded browser view. The QtWebEngine view implements it;
// tests use small fakes.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <QCoro/QCoroTask>
#include <string>

namespace lc {

class BrowserView : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The widget that shows the page; placed and stacked by the window.
    virtual QWidget* widget() = 0;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void setSize(int width, int height) = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;

    virtual QString address() const = 0;
    // Writing the address starts loading it.
    virtual void setAddress(const QString& url) = 0;

    // Evaluates script as the expression of a return statement in the main frame and yields the
    // value's string form as UTF-8; a thrown error gives its string form; no answer in time gives "".
    virtual QCoro::Task<std::string> runScript(QString script) = 0;
    // mode 2: clicks the index-th (1-based, <= 0 counts as 1) element matching the CSS selector.
    virtual QCoro::Task<> clickElement(int mode, QString selector, int index) = 0;

signals:
    // Raised on the UI thread each time a page finishes loading, successfully or not.
    void loadFinished(const QString& address, int result, const QString& failureReason);
};

}  // namespace lc
