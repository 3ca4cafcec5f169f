#pragma once
// A loopback HTTP server that a test scripts per path and that records every request.
// Binds 127.0.0.1 on an ephemeral port, serves at once, and stops by itself when destroyed.
// The HTTPS variant presents a self-signed certificate for 127.0.0.1, which no client trusts.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx::test {

class HttpTestServer {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    struct Request {
        std::string method;
        std::string path;  // without the query
        std::string query; // after "?", "" when none
        Headers headers;   // as received (before the server strips anything)
        std::string body;
        // Value of the first header of that name (case-insensitive), "" when absent.
        std::string header(std::string_view name) const;
        bool hasHeader(std::string_view name) const;
    };

    // One step of a body sent piece by piece.
    struct Step {
        enum class Kind { Send, Wait, Pause, Stall, Drop };
        Kind kind = Kind::Send;
        std::string bytes; // Send
        int gate = 0;      // Wait: until the test opens this gate
        double seconds = 0; // Pause: a steady trickle for slow-body tests

        static Step send(std::string bytes) { return {Kind::Send, std::move(bytes), 0, 0}; }
        static Step wait(int gate) { return {Kind::Wait, {}, gate, 0}; }
        static Step pause(double seconds) { return {Kind::Pause, {}, 0, seconds}; }
        static Step stall() { return {Kind::Stall, {}, 0, 0}; } // sends nothing more until the server stops
        static Step drop() { return {Kind::Drop, {}, 0, 0}; }   // closes the connection mid-body
    };

    struct Reply {
        int status = 200;
        std::string contentType = "text/plain"; // "" sends no Content-Type
        Headers headers;
        std::string body; // sent whole, with Content-Length, when there are no steps
        // With steps, the body goes out piece by piece: chunked when contentLength is unset,
        // else announced with that Content-Length (a Drop before it is reached cuts it short).
        std::vector<Step> steps;
        std::optional<size_t> contentLength;

        static Reply text(int status, std::string body, std::string contentType = "text/plain");
        static Reply redirect(int status, std::string location);
        // The body gzip-compressed (or zlib "deflate"), with the matching Content-Encoding.
        static Reply gzipped(std::string body, std::string contentType = "text/plain");
        static Reply deflated(std::string body, std::string contentType = "text/plain");
        Reply& header(std::string name, std::string value);
    };

    using Handler = std::function<Reply(const Request&)>;

    enum class Scheme { Http, Https };

    explicit HttpTestServer(Scheme scheme = Scheme::Http);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const;
    // "http://127.0.0.1:<port>" (or https) + path, which may carry a query.
    std::string url(std::string_view pathAndQuery = "/") const;

    // Scripts a path (exact match, query ignored). Unscripted paths answer 404 "not found".
    void on(const std::string& path, Reply reply);
    void on(const std::string& path, Handler handler);

    // Gates hold Wait steps until the test opens them.
    int newGate();
    void open(int gate);

    std::vector<Request> requests() const;
    std::vector<Request> requests(std::string_view path) const;
    size_t requestCount(std::string_view path) const;

    // Compression helpers for scripting encoded bodies.
    static std::string gzip(std::string_view bytes);
    static std::string deflate(std::string_view bytes);

    struct State;

private:
    std::shared_ptr<State> s_;
};

} // namespace vx::test
