#include "monitor/source_monitor.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

#include "support/fake_browser_view.h"
#include "text/encoding.h"

namespace lc {
namespace {

using testing::FakeBrowserView;

const QString kMarkupScript = QStringLiteral("document.getElementsByTagName('html')[0].innerHTML;");
const LandingConfig kLanding{"https://uland", "https://uland.taobao.com"};

const char kLink1[] = "https://uland.taobao.com/coupon?id=1";
const char kDigest1[] = "08fd3a4bed6259b465b72a8d505a69b4";
const char kLink2[] = "https://uland.taobao.com/coupon?id=2";
const char kDigest2[] = "b60cac6f869616ed5c100d0ab4f02601";

// Source markup (UTF-8, as the page script answers) listing the hrefs newest first.
std::string feed(std::initializer_list<std::string> hrefs) {
    std::string markup = "<head><title>feed</title></head><body><ul>";
    for (const std::string& href : hrefs)
        markup += "<li><a href=\"" + href + "\">offer</a> <a href=\"https://shop.example/\">shop</a></li>";
    return markup + "</ul></body>";
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SourceMonitorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(runDir.isValid()); }

    void show(const std::string& markupUtf8) { source.answers[kMarkupScript] = markupUtf8; }
    void tick() { QCoro::waitFor(monitor->monitorTick()); }
    // The seen-link file name is known after the first tick only.
    QString nameTheFile() {
        tick();
        return monitor->seenLinkFilePath();
    }
    QStringList runDirEntries() const { return QDir(runDir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir runDir;
    FakeBrowserView source;
    FakeBrowserView claim;
    QList<int> periods;
    std::unique_ptr<SourceMonitor> monitor = makeMonitor(runDir.path());

    std::unique_ptr<SourceMonitor> makeMonitor(const QString& directory, LandingConfig config = kLanding) {
        return std::make_unique<SourceMonitor>(
            source, claim, [this](int period) { periods.append(period); }, std::move(config), directory);
    }
};

TEST_F(SourceMonitorTest, FirstTickNamesTheFileButWritesNoneWithoutANewLink) {
    EXPECT_TRUE(monitor->seenLinkFilePath().isEmpty());
    show(feed({"https://shop.example/item"}));
    tick();

    const QFileInfo file(monitor->seenLinkFilePath());
    EXPECT_EQ(file.absolutePath(), QDir(runDir.path()).absolutePath());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z][A-Z][a-z][A-Z][a-z][A-Z]\\.txt$"))
                    .match(file.fileName())
                    .hasMatch())
        << file.fileName().toStdString();
    EXPECT_EQ(source.scripts, QStringList{kMarkupScript});
    EXPECT_TRUE(runDirEntries().isEmpty());
    EXPECT_TRUE(claim.navigations.isEmpty());
    EXPECT_TRUE(periods.isEmpty());

    tick();
    EXPECT_EQ(monitor->seenLinkFilePath(), file.filePath());
}

TEST_F(SourceMonitorTest, EachNewLinkIsRecordedSlowsTheMonitorAndOpensInTheClaimView) {
    show(feed({kLink1}));
    tick();
    const QString path = monitor->seenLinkFilePath();
    EXPECT_EQ(fileBytes(path), QByteArray("\r\n") + kDigest1);
    EXPECT_EQ(claim.navigations, QStringList{QString::fromLatin1(kLink1)});
    EXPECT_EQ(periods, QList<int>{10000});

    show(feed({kLink2, kLink1}));
    tick();
    EXPECT_EQ(fileBytes(path), QByteArray("\r\n") + kDigest1 + "\r\n" + kDigest2);
    EXPECT_EQ(claim.navigations, (QStringList{QString::fromLatin1(kLink1), QString::fromLatin1(kLink2)}));
    EXPECT_EQ(periods, (QList<int>{10000, 10000}));
    EXPECT_EQ(runDirEntries(), QStringList{QFileInfo(path).fileName()});
}

TEST_F(SourceMonitorTest, SameLinkTwiceGivesOneNavigationAndOneRecord) {
    show(feed({kLink1}));
    tick();
    tick();
    EXPECT_EQ(claim.navigations.size(), 1);
    EXPECT_EQ(fileBytes(monitor->seenLinkFilePath()), QByteArray("\r\n") + kDigest1);
    EXPECT_EQ(periods, QList<int>{10000});
}

TEST_F(SourceMonitorTest, OnlyTheFirstLinkCounts) {
    show(feed({kLink1}));
    tick();
    show(feed({kLink1, kLink2}));
    tick();
    EXPECT_EQ(claim.navigations, QStringList{QString::fromLatin1(kLink1)});
    EXPECT_EQ(periods, QList<int>{10000});
}

TEST_F(SourceMonitorTest, DigestStoredInUppercaseCountsAsSeen) {
    const QString path = nameTheFile();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\r\n") + QByteArray(kDigest1).toUpper());
    file.close();

    show(feed({kLink1}));
    tick();
    EXPECT_TRUE(claim.navigations.isEmpty());
    EXPECT_TRUE(periods.isEmpty());
}

TEST_F(SourceMonitorTest, ReadingTheFileStopsAtAZeroByte) {
    const QString path = nameTheFile();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\r\nffffffffffffffffffffffffffffffff\0\r\n", 37) + kDigest1);
    file.close();

    show(feed({kLink1}));
    tick();
    EXPECT_EQ(claim.navigations.size(), 1);
    EXPECT_EQ(fileBytes(path), QByteArray("\r\nffffffffffffffffffffffffffffffff\r\n") + kDigest1);
}

TEST_F(SourceMonitorTest, PagesWithoutAFirstLandingLinkChangeNothing) {
    struct Case {
        const char* what;
        std::string answer;
    };
    const Case cases[] = {
        {"no page yet", ""},
        {"script error", "TypeError: Cannot read properties of undefined (reading 'innerHTML')"},
        {"no landing link", feed({"https://shop.example/item?id=1"})},
        {"the stem alone", feed({"https://uland"})},
        {"a host that begins with the stem", feed({"https://ulandx.example.com/coupon?id=1"})},
        {"the prefix in the query of a foreign host",
         feed({"https://uland.example.net/?u=https://uland.taobao.com"})},
        {"the prefix as user information", feed({"https://uland.taobao.com@evil.example/coupon"})},
        {"a host that extends the prefix", feed({"https://uland.taobao.com.evil.example/coupon"})},
        {"a foreign host first, a landing link after it",
         feed({"https://uland.example.net/?u=https://uland.taobao.com", kLink1})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        show(c.answer);
        tick();
        EXPECT_TRUE(claim.navigations.isEmpty());
        EXPECT_TRUE(periods.isEmpty());
        EXPECT_TRUE(runDirEntries().isEmpty());
    }
}

TEST_F(SourceMonitorTest, CharacterReferencesInTheLinkAreDecoded) {
    show(feed({"https://uland.taobao.com/coupon?id=7&amp;src=feed"}));
    tick();
    EXPECT_EQ(claim.navigations,
              QStringList{QStringLiteral("https://uland.taobao.com/coupon?id=7&src=feed")});
    EXPECT_EQ(fileBytes(monitor->seenLinkFilePath()), QByteArray("\r\n8e4201bfd823e5649a3066a6aaf07a2f"));
}

TEST_F(SourceMonitorTest, TheDigestIsOfTheGbkLinkAndTheClaimViewGetsItsText) {
    show(feed({"https://uland.taobao.com/coupon?t=淘礼金"}));
    tick();
    EXPECT_EQ(claim.navigations, QStringList{QStringLiteral("https://uland.taobao.com/coupon?t=淘礼金")});
    EXPECT_EQ(fileBytes(monitor->seenLinkFilePath()), QByteArray("\r\n386bde8bc557107a81d3f7ae56de9f40"));
}

TEST_F(SourceMonitorTest, LoopbackLandingHostFromConfig) {
    monitor = makeMonitor(runDir.path(), {"http://127.0.0.1", "http://127.0.0.1:8080"});
    show(feed({"http://127.0.0.1:9090/coupon?id=1"}));
    tick();
    EXPECT_TRUE(claim.navigations.isEmpty());
    show(feed({"http://127.0.0.1:8080/coupon?id=1"}));
    tick();
    EXPECT_EQ(claim.navigations, QStringList{QStringLiteral("http://127.0.0.1:8080/coupon?id=1")});
}

TEST_F(SourceMonitorTest, UnwritableRunDirectoryStillOpensALinkOnlyOnce) {
    // A regular file in place of the directory: no file can be made in it, whoever runs the test.
    const QString notADirectory = runDir.filePath(QStringLiteral("program"));
    QFile blocker(notADirectory);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    monitor = makeMonitor(notADirectory);

    show(feed({kLink1}));
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ(claim.navigations, QStringList{QString::fromLatin1(kLink1)});
    EXPECT_EQ(periods, QList<int>{10000});
    EXPECT_FALSE(QFileInfo::exists(monitor->seenLinkFilePath()));
}

// Lets writes to files beyond a size fail, as a full disk would, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(SourceMonitorTest, FailedWriteKeepsTheEarlierRecordsAndLeavesNoTemporaryFile) {
    show(feed({kLink1}));
    tick();
    const QString path = monitor->seenLinkFilePath();
    const QByteArray oneRecord = QByteArray("\r\n") + kDigest1;
    ASSERT_EQ(fileBytes(path), oneRecord);

    show(feed({kLink2, kLink1}));
    {
        const FileSizeLimit diskFull(oneRecord.size() + 10);
        tick();
    }
    EXPECT_EQ(fileBytes(path), oneRecord);
    EXPECT_EQ(runDirEntries(), QStringList{QFileInfo(path).fileName()});
    EXPECT_EQ(claim.navigations.size(), 2);

    // Once the disk has room again, the next new link records both what is in the file and itself.
    tick();
    EXPECT_EQ(claim.navigations.size(), 2);
    show(feed({"https://uland.taobao.com/coupon?id=3", kLink2}));
    tick();
    EXPECT_EQ(claim.navigations.size(), 3);
    EXPECT_EQ(fileBytes(path).count("\r\n"), 2);
}

}  // namespace
}  // namespace lc
