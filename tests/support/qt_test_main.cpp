// Shared main of the Qt tests: a QApplication on the offscreen platform with the
// WebEngine sandbox off (tests run as root), tests run from inside the event loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--disable-gpu --disable-background-networking --disable-component-update --no-first-run");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    int result = 1;
    QTimer::singleShot(0, &app, [&] {
        result = RUN_ALL_TESTS();
        QCoreApplication::exit(result);
    });
    QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
