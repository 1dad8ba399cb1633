#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "notice/startup_notice.h"
#include "support/recording_server.h"
#include "text/encoding.h"

namespace {

using lc::test::RecordingServer;

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray alertSoundAsset() { return readFile(QStringLiteral(LC_SOURCE_DIR "/assets/bg.mp3")); }

// Serves the three notice files from a table; anything else is a 404.
RecordingServer::Responder noticeFiles(std::map<std::string, std::string> files) {
    return [files](const std::string& request) {
        for (const auto& [path, body] : files)
            if (request.rfind("GET /others/quenmar/" + path + " ", 0) == 0) return lc::test::okResponse(body);
        return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
    };
}

struct Observed {
    QStringList messages;
    QStringList opened;
};

struct NoticeRun {
    bool goesOn;
    Observed observed;
};

NoticeRun runNotice(const std::string& baseUrl, const QString& runDirectory, int timeoutSeconds = 0) {
    NoticeRun run{};
    lc::NoticeHooks hooks{[&](const QString& text) { run.observed.messages.append(text); },
                          [&](const QString& url) { run.observed.opened.append(url); }, {}};
    run.goesOn = lc::StartupNotice(baseUrl, runDirectory, hooks, timeoutSeconds).check();
    return run;
}

TEST(StartupNotice, OpenShowsTheMessageOpensThePageAndStops) {
    QTemporaryDir runDir;
    RecordingServer server(noticeFiles(
        {{"1.txt", "open"}, {"2.txt", lc::utf8ToGbk("新版本已发布，请更新")}, {"3.txt", "https://example.com/new"}}));

    const NoticeRun run = runNotice(server.url(""), runDir.path());

    EXPECT_FALSE(run.goesOn);
    EXPECT_EQ(run.observed.messages, QStringList{QStringLiteral("新版本已发布，请更新")});
    EXPECT_EQ(run.observed.opened, QStringList{QStringLiteral("https://example.com/new")});
    EXPECT_FALSE(QFile::exists(lc::StartupNotice::alertSoundPath(runDir.path())));
    ASSERT_EQ(server.requests().size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(server.requests()[i].rfind("GET /others/quenmar/" + std::to_string(i + 1) + ".txt HTTP/1.1\r\n", 0), 0u);
}

TEST(StartupNotice, EmptyMessageIsShownEmpty) {
    QTemporaryDir runDir;
    RecordingServer server(noticeFiles({{"1.txt", "open"}, {"2.txt", ""}, {"3.txt", "http://example.com/"}}));
    const NoticeRun run = runNotice(server.url(""), runDir.path());
    EXPECT_FALSE(run.goesOn);
    EXPECT_EQ(run.observed.messages, QStringList{QString()});
    EXPECT_EQ(run.observed.opened, QStringList{QStringLiteral("http://example.com/")});
}

TEST(StartupNotice, PageThatIsNoWebAddressIsNotOpened) {
    for (const std::string page : {"file:///etc/passwd", "javascript:alert(1)", "C:\\Windows\\calc.exe",
                                   "smb://host/share", "http://", ""}) {
        QTemporaryDir runDir;
        RecordingServer server(noticeFiles({{"1.txt", "open"}, {"2.txt", "bye"}, {"3.txt", page}}));
        const NoticeRun run = runNotice(server.url(""), runDir.path());
        EXPECT_FALSE(run.goesOn) << page;
        EXPECT_EQ(run.observed.messages, QStringList{QStringLiteral("bye")}) << page;
        EXPECT_TRUE(run.observed.opened.isEmpty()) << page;
    }
}

TEST(StartupNotice, AnythingButExactlyOpenGoesOnAndWritesTheAlertSound) {
    for (const std::string switchText : {"open\r\n", "open\n", " open", "OPEN", "close", ""}) {
        QTemporaryDir runDir;
        RecordingServer server(noticeFiles({{"1.txt", switchText}, {"2.txt", "bye"}, {"3.txt", "http://a.b/"}}));
        const NoticeRun run = runNotice(server.url(""), runDir.path());
        EXPECT_TRUE(run.goesOn) << switchText;
        EXPECT_TRUE(run.observed.messages.isEmpty()) << switchText;
        EXPECT_TRUE(run.observed.opened.isEmpty()) << switchText;
        EXPECT_EQ(readFile(lc::StartupNotice::alertSoundPath(runDir.path())), alertSoundAsset()) << switchText;
    }
}

TEST(StartupNotice, AlertSoundIsAnId3v24Mp3OfAboutEightKilobytes) {
    const QByteArray sound = alertSoundAsset();
    EXPECT_TRUE(sound.startsWith(QByteArray("ID3\x04", 4)));
    EXPECT_GT(sound.size(), 6000);
    EXPECT_LT(sound.size(), 10000);
}

TEST(StartupNotice, UnreachableOrMissingServerGoesOnAndReplacesTheSoundFile) {
    RecordingServer missingFiles(noticeFiles({}));
    std::string refused;
    {
        RecordingServer closed(noticeFiles({}));
        refused = closed.url("");
    }
    for (const std::string& base : {missingFiles.url(""), refused, std::string()}) {
        QTemporaryDir runDir;
        const QString soundPath = lc::StartupNotice::alertSoundPath(runDir.path());
        QFile stale(soundPath);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
        stale.close();

        const NoticeRun run = runNotice(base, runDir.path());
        EXPECT_TRUE(run.goesOn) << base;
        EXPECT_EQ(readFile(soundPath), alertSoundAsset()) << base;
    }
}

TEST(StartupNotice, UnwritableRunDirectoryIsNoError) {
    const NoticeRun run = runNotice("", QStringLiteral("/proc/no-such-dir"));
    EXPECT_TRUE(run.goesOn);
}

TEST(StartupNotice, ServerThatNeverAnswersDelaysOnlyByTheTimeouts) {
    QTemporaryDir runDir;
    RecordingServer silent([](lc::test::Connection& connection) { connection.waitForClose(); });
    const NoticeRun run = runNotice(silent.url(""), runDir.path(), 1);
    EXPECT_TRUE(run.goesOn);
    EXPECT_EQ(readFile(lc::StartupNotice::alertSoundPath(runDir.path())), alertSoundAsset());
}

}  // namespace
