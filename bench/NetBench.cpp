// 200 small images over loopback: through URLConnection, with its callbacks on one network thread
// as the image kit runs them, against curl multi alone doing the same transfers on the calling
// thread. Both use the same curl options and six connections per host. Prints the ratio.
#include "bench/BenchRatio.h"
#include "os/foundation/Thread.h"
#include "os/net/URLConnection.h"
#include "tests/support/HttpTestServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kImages = 200;
constexpr size_t kImageSize = 6 * 1024;

struct Setup {
    vx::test::HttpTestServer server;
    std::vector<std::string> urls;
    ns::Ref<ns::Thread> network = ns::Thread::create("com.tandrel.webimage.request");

    Setup() {
        std::string image(kImageSize, '\0');
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 131 % 251);
        for (int i = 0; i < kImages; ++i) {
            std::string path = "/img/" + std::to_string(i) + ".png";
            server.on(path, vx::test::HttpTestServer::Reply::text(200, image, "image/png"));
            urls.push_back(server.url(path));
        }
        network->start();
    }
};

Setup& setup() {
    static Setup* s = new Setup;
    return *s;
}

// Counts finished loads and their bytes; the benchmark thread waits for all of them.
class Counter : public ns::URLConnectionDelegate {
public:
    void didReceiveData(const ns::Ref<ns::URLConnection>&, const ns::DataRef& data) override { bytes += data->length(); }
    void didFinishLoading(const ns::Ref<ns::URLConnection>&) override { end(); }
    void didFailWithError(const ns::Ref<ns::URLConnection>&, const ns::Ref<ns::Error>&) override {
        failed = true;
        end();
    }
    void waitFor(int n) {
        std::unique_lock lock(m_);
        cv_.wait(lock, [&] { return done_ >= n; });
    }
    std::atomic<size_t> bytes{0};
    std::atomic<bool> failed{false};

private:
    void end() {
        std::lock_guard lock(m_);
        ++done_;
        cv_.notify_all();
    }
    std::mutex m_;
    std::condition_variable cv_;
    int done_ = 0;
};

ns::Ref<ns::URLRequest> imageRequest(const std::string& url) {
    auto r = ns::URLRequest::requestWithURL(ns::URL::fromString(url));
    r->setTimeoutInterval(15);
    r->setHTTPShouldHandleCookies(false);
    r->setValue("image/*;q=0.8", "Accept");
    return r;
}

void URLConnectionOnNetworkThread(benchmark::State& state) {
    auto& s = setup();
    std::vector<ns::Ref<ns::URLRequest>> requests;
    for (const auto& url : s.urls) requests.push_back(imageRequest(url));
    for (auto _ : state) {
        auto counter = std::make_shared<Counter>();
        s.network->perform([&requests, counter] {
            for (const auto& r : requests) ns::URLConnection::create(r, counter);
        });
        counter->waitFor(kImages);
        if (counter->failed || counter->bytes != kImages * kImageSize) state.SkipWithError("a load failed");
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}

size_t appendBody(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void CurlMultiAlone(benchmark::State& state) {
    auto& s = setup();
    for (auto _ : state) {
        CURLM* multi = curl_multi_init();
        curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, 6L);
        std::vector<std::string> bodies(kImages);
        std::vector<CURL*> handles;
        curl_slist* headers = curl_slist_append(nullptr, "Accept: image/*;q=0.8");
        headers = curl_slist_append(headers, "Expect:");
        for (int i = 0; i < kImages; ++i) {
            CURL* e = curl_easy_init();
            curl_easy_setopt(e, CURLOPT_URL, s.urls[i].c_str());
            curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
            curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
            curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &appendBody);
            curl_easy_setopt(e, CURLOPT_WRITEDATA, &bodies[i]);
            curl_multi_add_handle(multi, e);
            handles.push_back(e);
        }
        int running = 1;
        while (running > 0) {
            curl_multi_perform(multi, &running);
            if (running > 0) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
        size_t bytes = 0;
        for (int i = 0; i < kImages; ++i) {
            bytes += bodies[i].size();
            curl_multi_remove_handle(multi, handles[i]);
            curl_easy_cleanup(handles[i]);
        }
        curl_slist_free_all(headers);
        curl_multi_cleanup(multi);
        if (bytes != kImages * kImageSize) state.SkipWithError("a transfer failed");
    }
    state.SetItemsProcessed(state.iterations() * kImages);
}

BENCHMARK(URLConnectionOnNetworkThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CurlMultiAlone)->Unit(benchmark::kMillisecond)->UseRealTime();


} // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_ALL);
    setup();
    return benchratio::runWithRatios(argc, argv, {{"URLConnectionOnNetworkThread", "CurlMultiAlone"}},
                                     {.title = "URLConnection / curl multi"});
}
