// One monitor tick's own work on a 1 MB source page and a seen-link file of 10,000 records:
// UTF-8 to GBK, finding the first landing link, its digest and the search in the file's text.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <unordered_set>

#include "monitor/new_link.h"
#include "monitor/seen_link_file.h"
#include "text/link_digest.h"

namespace {

const lc::LandingConfig kLanding{"https://uland", "https://uland.taobao.com"};
constexpr std::size_t kMarkupBytes = 1 << 20;
constexpr int kRecords = 10000;

// Feed markup of about 1 MB (UTF-8, Chinese text in it), with the landing link after all of it.
std::string bigMarkup() {
    std::string markup = "<head><title>淘礼金</title></head><body><ul>";
    for (int i = 0; markup.size() < kMarkupBytes; ++i)
        markup += "<li class=\"offer\"><a href=\"https://shop.example/item?id=" + std::to_string(i) +
                  "&amp;from=feed\">淘礼金 优惠券 第" + std::to_string(i) + "号</a></li>";
    return markup +
           "<li><a "
           "href=\"https://uland.taobao.com/coupon/edetail?e=new&amp;pid=mm_1\">new</a></li></ul></body>";
}

std::string seenText() {
    std::string text;
    for (int i = 0; i < kRecords; ++i)
        text += "\r\n" + lc::linkDigest("https://uland.taobao.com/coupon?id=" + std::to_string(i));
    return text;
}

void BM_FindNewLink(benchmark::State& state) {
    const std::string markup = bigMarkup();
    const std::string seen = seenText();
    const std::unordered_set<std::string> handled;
    for (auto _ : state) benchmark::DoNotOptimize(lc::findNewLink(markup, seen, handled, kLanding));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(markup.size() + seen.size()));
}
BENCHMARK(BM_FindNewLink)->Unit(benchmark::kMillisecond);

void BM_SeenLinkFileRead(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("aBcDeF.txt"));
    const std::string seen = seenText();
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(seen.data(), static_cast<qint64>(seen.size()));
    file.close();
    const lc::SeenLinkFile seenLinks(path);
    for (auto _ : state) benchmark::DoNotOptimize(seenLinks.read());
}
BENCHMARK(BM_SeenLinkFileRead)->Unit(benchmark::kMicrosecond);

// The atomic rewrite a new link costs: read, temporary file, sync, rename.
void BM_SeenLinkFileAppend(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("aBcDeF.txt"));
    const std::string seen = seenText();
    const lc::SeenLinkFile seenLinks(path);
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(seen.data(), static_cast<qint64>(seen.size()));
        file.close();
        state.ResumeTiming();
        benchmark::DoNotOptimize(seenLinks.append("0123456789abcdef0123456789abcdef"));
    }
}
BENCHMARK(BM_SeenLinkFileAppend)->Unit(benchmark::kMillisecond);

}  // namespace
