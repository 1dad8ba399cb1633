#include "app/qt_desktop_services.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

namespace lc {

void QtMessageBox::show(const QString& text) {
    // No owner window: the box also shows before the main window has ever been shown.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void SystemClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void DesktopUrlOpener::open(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

MediaSoundPlayer::MediaSoundPlayer() {
    player_.setAudioOutput(&output_);
}

void MediaSoundPlayer::play(const QString& filePath) {
    player_.stop();
    if (!QFileInfo(filePath).isFile()) {
        player_.setSource({});
        return;
    }
    player_.setSource(QUrl::fromLocalFile(filePath));
    player_.play();
}

}  // namespace lc
