// lijin-demo-feed: serves the demo coupon feed until it is stopped.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "demo/demo_feed.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lijin-demo-feed"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Demo coupon feed for trying the program offline."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1."),
                                        QStringLiteral("N"), QStringLiteral("18080"));
    const QCommandLineOption intervalOption(
        QStringLiteral("interval"), QStringLiteral("Milliseconds between new coupons; 0 publishes none."),
        QStringLiteral("MS"), QStringLiteral("5000"));
    const QCommandLineOption landingHostOption(
        QStringLiteral("landing-host"),
        QStringLiteral("Host name of the landing links; must resolve to 127.0.0.1."), QStringLiteral("NAME"),
        QStringLiteral("uland.localhost"));
    parser.addOptions({portOption, intervalOption, landingHostOption});
    parser.process(app);

    bool portOk = false;
    bool intervalOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const int interval = parser.value(intervalOption).toInt(&intervalOk);
    if (!portOk || port > 65535 || !intervalOk || interval < 0) {
        std::fprintf(stderr,
                     "lijin-demo-feed: --port takes 0..65535 and --interval a count of milliseconds\n");
        return 2;
    }

    lc::demo::DemoFeed feed(parser.value(landingHostOption));
    if (!feed.listen(quint16(port))) {
        std::fprintf(stderr, "lijin-demo-feed: cannot listen on 127.0.0.1:%u: %s\n", port,
                     qUtf8Printable(feed.errorString()));
        return 1;
    }
    feed.setInterval(interval);
    std::printf("lijin-demo-feed: serving %s/ (landing pages under %s, a new coupon every %d ms)\n",
                qUtf8Printable(feed.baseUrl()), qUtf8Printable(feed.landingPrefix()), interval);
    std::fflush(stdout);
    return QCoreApplication::exec();
}
