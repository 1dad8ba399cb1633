// A BrowserView that answers scripts from a table and records what it was asked.
#pragma once

#include <QMap>
#include <QStringList>
#include <QWidget>
#include <string>

#include "browser/browser_view.h"

namespace lc::testing {

class FakeBrowserView : public BrowserView {
    Q_OBJECT
public:
    explicit FakeBrowserView(QWidget* parent = nullptr) : widget_(new QWidget(parent)) {}

    QWidget* widget() override { return widget_; }
    int width() const override { return widget_->width(); }
    int height() const override { return widget_->height(); }
    void setSize(int width, int height) override { widget_->resize(width, height); }
    bool isVisible() const override { return visible_; }
    void setVisible(bool visible) override {
        visible_ = visible;
        widget_->setVisible(visible);
    }
    QString address() const override { return address_; }
    void setAddress(const QString& url) override {
        address_ = url;
        navigations.append(url);
    }

    QCoro::Task<std::string> runScript(QString script) override {
        scripts.append(script);
        co_return answers.value(script);
    }
    QCoro::Task<> clickElement(int mode, QString selector, int index) override {
        clicks.append(QStringLiteral("%1|%2|%3").arg(mode).arg(selector).arg(index));
        co_return;
    }

    void finishLoading(const QString& url) {
        address_ = url;
        emit loadFinished(url, 0, {});
    }

    QMap<QString, std::string> answers;  // script -> UTF-8 result; missing scripts answer ""
    QStringList scripts;
    QStringList navigations;
    QStringList clicks;  // "mode|selector|index"

private:
    QWidget* widget_;
    QString address_;
    bool visible_ = false;
};

}  // namespace lc::testing
