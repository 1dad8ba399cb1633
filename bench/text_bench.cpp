// Marker search on a page-sized markup, compared with memmem, and UTF-8 to GBK throughput.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/encoding.h"
#include "text/gbk_text.h"

namespace {

constexpr std::size_t kPageSize = 1 << 20;
const std::string kStartMarker = "href=\"https://uland";

// About 1 MB of feed-like markup in UTF-8: item links with Chinese titles, the landing link near the end.
std::string makeUtf8Page() {
    std::string page = "<html><head><title>优惠券</title></head><body><ul>\n";
    for (int item = 0; page.size() < kPageSize; ++item) {
        page += "<li><a href=\"https://shop.example.com/item?id=" + std::to_string(item) +
                "\" class=\"title\">限时优惠：夏季新款连衣裙 第" + std::to_string(item) +
                "件 领券立减10元</a></li>\n";
        if (page.size() > kPageSize * 19 / 20 && page.find(kStartMarker) == std::string::npos) {
            page += "<li><a href=\"https://uland.taobao.com/coupon/edetail?e=abc123\">领券</a></li>\n";
        }
    }
    return page + "</ul></body></html>";
}

const std::string& utf8Page() {
    static const std::string page = makeUtf8Page();
    return page;
}

const std::string& gbkPage() {
    static const std::string page = lc::utf8ToGbk(utf8Page());
    return page;
}

void BM_Find(benchmark::State& state) {
    const std::string& page = gbkPage();
    const bool ignoreCase = state.range(0) != 0;
    for (auto _ : state) benchmark::DoNotOptimize(lc::find(page, kStartMarker, 1, ignoreCase));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Find)->ArgName("ignoreCase")->Arg(0)->Arg(1);

void BM_Memmem(benchmark::State& state) {
    const std::string& page = gbkPage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(page.data(), page.size(), kStartMarker.data(), kStartMarker.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Memmem);

void BM_TextBetween(benchmark::State& state) {
    const std::string& page = gbkPage();
    for (auto _ : state) benchmark::DoNotOptimize(lc::textBetween(page, kStartMarker, "\"", 0, false));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextBetween);

void BM_Utf8ToGbk(benchmark::State& state) {
    const std::string& page = utf8Page();
    for (auto _ : state) benchmark::DoNotOptimize(lc::utf8ToGbk(page));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Utf8ToGbk);

}  // namespace
