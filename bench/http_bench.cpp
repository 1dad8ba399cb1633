// A small GET on loopback through HttpFetch against the same GET through the curl tool.
// The tool pays for a process start; the figure shows what the library saves per request.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <iostream>
#include <map>
#include <string>

#include "http/http_fetch.h"
#include "support/recording_server.h"

extern char** environ;

namespace {

lc::test::RecordingServer& server() {
    static lc::test::RecordingServer instance(lc::test::RecordingServer::Responder(
        [](const std::string&) { return lc::test::okResponse("<p>ok</p>"); }));
    return instance;
}

void HttpFetchGet(benchmark::State& state) {
    for (auto _ : state) {
        lc::HttpRequest request;
        request.url = server().url("/small");
        benchmark::DoNotOptimize(lc::HttpFetch(request));
    }
}
BENCHMARK(HttpFetchGet)->Unit(benchmark::kMicrosecond);

void CurlToolGet(benchmark::State& state) {
    const std::string url = server().url("/small");
    char* arguments[] = {const_cast<char*>("curl"),      const_cast<char*>("-s"),
                         const_cast<char*>("-o"),        const_cast<char*>("/dev/null"),
                         const_cast<char*>(url.c_str()), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawnp(&child, "curl", nullptr, nullptr, arguments, environ) != 0) {
            state.SkipWithError("curl not found");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
}
BENCHMARK(CurlToolGet)->Unit(benchmark::kMicrosecond);

// Keeps each run's time per iteration so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) nanoseconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        const auto fetch = nanoseconds_.find("HttpFetchGet");
        const auto tool = nanoseconds_.find("CurlToolGet");
        if (fetch == nanoseconds_.end() || tool == nanoseconds_.end() || fetch->second <= 0) return;
        std::cout << "curl tool / HttpFetch time per GET: " << tool->second / fetch->second << "\n";
    }

private:
    std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
