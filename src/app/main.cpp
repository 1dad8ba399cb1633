// The program entry: the window-created sequence runs before the window first shows, then the
// event loop runs until the window is closed.
#include <unistd.h>

#include <QApplication>

#include "app/program.h"
#include "app/qt_desktop_services.h"

int main(int argc, char** argv) {
    // Chromium refuses its sandbox to root.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lijin-claimer"));

    lc::QtDesktopServices desktop;
    const QString runDirectory = QCoreApplication::applicationDirPath();
    lc::Program program(lc::AppConfig::builtIn(runDirectory), desktop.services(), lc::webEngineViewFactory(),
                        runDirectory);
    if (!program.start()) return 0;
    return QApplication::exec();
}
