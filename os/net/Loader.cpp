#include "os/net/Loader.h"

#include "os/foundation/Strings.h"
#include "os/net/CurlEngine.h"
#include "os/net/HTTPCookieStorage.h"
#include "os/net/URLError.h"
#include "os/net/URLProtocol.h"
#include "os/net/URLRequest.h"
#include "os/net/URLResponse.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ns::detail {

namespace {
std::atomic<size_t> inProgress{0};
} // namespace

size_t loadsInProgress() { return inProgress.load(); }

Load::Load(std::shared_ptr<LoadClient> client) : client_(std::move(client)) {
    if (client_) ++inProgress;
}

Load::~Load() {
    std::lock_guard lock(mutex_);
    if (client_) ended();
}

void Load::ended() {
    client_.reset();
    --inProgress;
}

// The count drops after the terminal event has been handed over, so whoever waits for it sees
// the client's delivery already queued.
template <class F> void Load::emit(bool terminal, F&& f) {
    std::lock_guard lock(mutex_);
    if (!client_) return;
    f(*client_);
    if (terminal) ended();
}

void Load::cancel() {
    {
        std::lock_guard lock(mutex_);
        if (!client_) return;
        ended();
    }
    stop();
}

bool Load::isDone() const {
    std::lock_guard lock(mutex_);
    return !client_;
}

void Load::emitResponse(const Ref<URLResponse>& response) {
    emit(false, [&](LoadClient& c) { c.loadDidReceiveResponse(response); });
}
void Load::emitData(const DataRef& data) {
    emit(false, [&](LoadClient& c) { c.loadDidReceiveData(data); });
}
void Load::emitSent(int64_t totalSent, int64_t totalExpected) {
    emit(false, [&](LoadClient& c) { c.loadDidSendBodyData(totalSent, totalExpected); });
}
void Load::emitFinish() {
    emit(true, [&](LoadClient& c) { c.loadDidFinish(); });
}
void Load::emitFail(const Ref<Error>& error) {
    emit(true, [&](LoadClient& c) { c.loadDidFail(error); });
}

namespace {

// A file URL read from disk on the network thread, one chunk per turn of its loop.
class FileLoad : public Load {
public:
    static constexpr size_t ChunkSize = 16 * 1024;

    FileLoad(std::shared_ptr<LoadClient> client, Ref<URL> url) : Load(std::move(client)), url_(std::move(url)) {}
    ~FileLoad() override {
        if (fd_ >= 0) ::close(fd_);
    }

    void begin() {
        std::string path = url_->path();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return fail(URLErrorFileDoesNotExist);
        if (S_ISDIR(st.st_mode)) return fail(URLErrorFileIsDirectory);
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return fail(errno == EACCES ? -1102L : static_cast<long>(URLErrorFileDoesNotExist)); // -1102: no permission to read
        std::string mime = URLResponse::mimeTypeForPathExtension(str::pathExtension(path));
        emitResponse(URLResponse::create(url_, mime, static_cast<int64_t>(st.st_size), std::nullopt));
        next();
    }

private:
    void next() {
        auto self = std::static_pointer_cast<FileLoad>(shared_from_this());
        CurlEngine::shared().post([self] { self->readChunk(); });
    }

    void readChunk() {
        if (isDone()) return;
        std::vector<uint8_t> buffer(ChunkSize);
        ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) return next();
        if (n < 0) return fail(URLErrorFileDoesNotExist);
        if (n == 0) {
            ::close(fd_);
            fd_ = -1;
            return emitFinish();
        }
        buffer.resize(static_cast<size_t>(n));
        emitData(Data::make(std::move(buffer)));
        next();
    }

    void fail(long code) { emitFail(urlError(code, url_)); }

    Ref<URL> url_;
    int fd_ = -1;
};

// A load answered by a registered protocol handler.
class ProtocolLoad : public Load {
public:
    using Load::Load;
};

} // namespace

std::shared_ptr<Load> startLoad(LoadRequest request, std::shared_ptr<LoadClient> client) {
    auto& engine = CurlEngine::shared();
    auto failWith = [&](long code) {
        auto load = std::make_shared<Load>(std::move(client));
        auto url = request.url;
        engine.post([load, code, url] { load->emitFail(urlError(code, url)); });
        return load;
    };

    if (request.request) {
        if (auto responder = URLProtocolRegistry::responderFor(*request.request)) {
            std::shared_ptr<Load> load = std::make_shared<ProtocolLoad>(std::move(client));
            auto protocolClient = std::make_shared<URLProtocolClient>(load);
            engine.post([responder, req = request.request, protocolClient] { responder(req, protocolClient); });
            return load;
        }
    }
    if (!request.url) return failWith(URLErrorBadURL);
    std::string scheme = str::lowercase(request.url->scheme().value_or(""));
    if (scheme == "file") {
        auto load = std::make_shared<FileLoad>(std::move(client), request.url);
        engine.post([load] { load->begin(); });
        return load;
    }
    if (scheme != "http" && scheme != "https") return failWith(URLErrorUnsupportedURL);
    if (request.url->host().value_or("").empty()) return failWith(URLErrorBadURL);
    if (request.handleCookies) HTTPCookieStorage::shared(); // installs the jar's hooks
    return engine.start(std::move(request), std::move(client));
}

} // namespace ns::detail

namespace ns {

void URLProtocolClient::didReceiveResponse(const Ref<URLResponse>& response) { load_->emitResponse(response); }
void URLProtocolClient::didLoadData(const DataRef& data) { load_->emitData(data); }
void URLProtocolClient::didFinishLoading() { load_->emitFinish(); }
void URLProtocolClient::didFailWithError(const Ref<Error>& error) { load_->emitFail(error); }
bool URLProtocolClient::isCancelled() const { return load_->isDone(); }

} // namespace ns
