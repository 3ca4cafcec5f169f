#include "os/foundation/Data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ns {

DataRef Data::make(std::vector<uint8_t> bytes) { return std::make_shared<Data>(std::move(bytes)); }

DataRef Data::make(const void* bytes, size_t length) {
    auto p = static_cast<const uint8_t*>(bytes);
    return make(std::vector<uint8_t>(p, p + (p ? length : 0)));
}

DataRef Data::fromString(std::string_view text) { return make(text.data(), text.size()); }

DataRef Data::fromFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    uint8_t buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return nullptr;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    ::close(fd);
    return make(std::move(bytes));
}

DataRef Data::subdata(Range range) const {
    if (range.location > bytes_.size()) return make();
    size_t len = std::min(range.length, bytes_.size() - range.location);
    return make(bytes_.data() + range.location, len);
}

Range Data::rangeOf(std::span<const uint8_t> needle, Range searchRange) const {
    if (needle.empty() || searchRange.location >= bytes_.size()) return {Range::NotFound, 0};
    size_t end = searchRange.location + std::min(searchRange.length, bytes_.size() - searchRange.location);
    auto first = bytes_.begin() + static_cast<long>(searchRange.location);
    auto last = bytes_.begin() + static_cast<long>(end);
    auto it = std::search(first, last, needle.begin(), needle.end());
    if (it == last) return {Range::NotFound, 0};
    return {static_cast<size_t>(it - bytes_.begin()), needle.size()};
}

bool Data::writeToFile(const std::string& path, bool atomically) const {
    // An atomic write goes to a fresh temporary file beside the target, then replaces it by rename,
    // so a reader sees the old or the new bytes, never a part.
    static std::atomic<unsigned long> counter{0};
    std::string target = path;
    int fd = -1;
    if (atomically) {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            target = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
            fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST) break;
        }
    } else {
        fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    }
    if (fd < 0) return false;
    auto fail = [&] {
        ::close(fd);
        if (atomically) ::unlink(target.c_str());
        return false;
    };
    size_t done = 0;
    while (done < bytes_.size()) {
        ssize_t n = ::write(fd, bytes_.data() + done, bytes_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        done += static_cast<size_t>(n);
    }
    if (atomically && ::fsync(fd) != 0) return fail();
    if (::close(fd) != 0) {
        if (atomically) ::unlink(target.c_str());
        return false;
    }
    if (atomically && ::rename(target.c_str(), path.c_str()) != 0) {
        ::unlink(target.c_str());
        return false;
    }
    return true;
}

std::string Data::description() const {
    static const char* hex = "0123456789abcdef";
    std::string out = "<";
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        out += hex[bytes_[i] >> 4];
        out += hex[bytes_[i] & 15];
    }
    return out + ">";
}

std::string Data::base64Encoded(unsigned options) const {
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string raw;
    raw.reserve((bytes_.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes_.size(); i += 3) {
        uint32_t n = (bytes_[i] << 16) | (bytes_[i + 1] << 8) | bytes_[i + 2];
        raw += table[(n >> 18) & 63];
        raw += table[(n >> 12) & 63];
        raw += table[(n >> 6) & 63];
        raw += table[n & 63];
    }
    if (i < bytes_.size()) {
        uint32_t n = bytes_[i] << 16;
        if (i + 1 < bytes_.size()) n |= bytes_[i + 1] << 8;
        raw += table[(n >> 18) & 63];
        raw += table[(n >> 12) & 63];
        raw += (i + 1 < bytes_.size()) ? table[(n >> 6) & 63] : '=';
        raw += '=';
    }
    if (!(options & Base64LineLength64)) return raw;
    bool cr = options & Base64EndLineWithCR, lf = options & Base64EndLineWithLF;
    std::string eol = (cr == lf) ? "\r\n" : (cr ? "\r" : "\n");
    std::string out;
    for (size_t pos = 0; pos < raw.size(); pos += 64) {
        if (pos) out += eol;
        out.append(raw, pos, 64);
    }
    return out;
}

DataRef Data::fromBase64(std::string_view text) {
    auto decode = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return nullptr;
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=') {
                // Padding only in the last quantum, only in its last two places, and nothing after it.
                if (i + 4 != text.size() || k < 2) return nullptr;
                ++pad;
                v[k] = 0;
                continue;
            }
            if (pad) return nullptr;
            v[k] = decode(c);
            if (v[k] < 0) return nullptr;
        }
        uint32_t n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out.push_back(static_cast<uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<uint8_t>(n >> 8));
        if (pad < 1) out.push_back(static_cast<uint8_t>(n));
    }
    return make(std::move(out));
}

MutableDataRef MutableData::make(size_t capacity) {
    // The capacity is a hint (often an announced content length); never reserve more than 64 MiB up front.
    auto d = std::make_shared<MutableData>();
    d->bytes_.reserve(std::min<size_t>(capacity, size_t{64} << 20));
    return d;
}

MutableDataRef MutableData::copyOf(const Data& data) {
    auto d = std::make_shared<MutableData>();
    d->bytes_.assign(data.bytes(), data.bytes() + data.length());
    return d;
}

void MutableData::append(const void* bytes, size_t length) {
    if (!bytes || !length) return;
    auto p = static_cast<const uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), p, p + length);
}

void MutableData::setLength(size_t length) { bytes_.resize(length, 0); }

void MutableData::replaceBytes(Range range, const void* bytes, size_t length) {
    size_t loc = std::min(range.location, bytes_.size());
    size_t len = std::min(range.length, bytes_.size() - loc);
    auto p = static_cast<const uint8_t*>(bytes);
    bytes_.erase(bytes_.begin() + static_cast<long>(loc), bytes_.begin() + static_cast<long>(loc + len));
    if (p && length) bytes_.insert(bytes_.begin() + static_cast<long>(loc), p, p + length);
}

} // namespace ns
