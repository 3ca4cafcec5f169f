// The disk cache's stored manifest and files as someone else left them: rows of any key, file name,
// size, times, inline and extended data, and files of any content under the data folder; with the
// input's last byte, links to a folder outside in place of the trash, the data folder, stored
// files, a file being written, or the manifest and its log. Reads, writes, removals and trims never
// crash and never read, write or delete anything outside the cache folder (a file beside it, which
// "../" names point at, and the outside folder keep their content and are never returned).

#include "tests/support/ProcessScratch.h"
#include "foundation/VXDiskCache.h"
#include "foundation/VXKVStorage.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Log.h"
#include "os/foundation/Sandbox.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kVictimContent(64, 'v');

// Reads the fuzz bytes as a sequence of small fields.
struct Reader {
    const uint8_t* p;
    size_t left;
    uint8_t byte() {
        if (!left) return 0;
        --left;
        return *p++;
    }
    int64_t number() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | byte();
        return static_cast<int64_t>(v);
    }
    std::string text(size_t max) {
        size_t n = std::min<size_t>(byte() % (max + 1), left);
        std::string s(reinterpret_cast<const char*>(p), n);
        p += n, left -= n;
        return s;
    }
};

struct Setup {
    std::string root, storagePath, cachePath, victim, outside;
    std::string outsideBefore; // every file under the outside folder, as it must stay
    ns::Ref<VXKVStorage> storage;
    ns::Ref<VXDiskCache> cache;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Names and contents of everything under a folder, links not followed.
std::string describe(const std::string& folder) {
    std::string out;
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        out += it->path().string() + "\n";
        if (it->is_regular_file() && !it->is_symlink()) out += readFile(it->path().string()) + "\n";
    }
    return out;
}

void open(Setup& s) {
    s.storage = VXKVStorage::initWithPath(s.storagePath, VXKVStorageType::Mixed);
    s.cache = VXDiskCache::initWithPath(s.cachePath);
    if (!s.storage || !s.cache) std::abort();
}

Setup& setup() {
    static Setup* s = [] {
        auto* s = new Setup;
        const std::string root = vx::test::processScratchFolder();
        s->root = root;
        ns::setSandboxRoot(s->root + "/home");
        ns::Log::setSink([](const std::string&) {});
        s->storagePath = s->root + "/caches/storage";
        s->cachePath = s->root + "/caches/cache";
        s->victim = s->root + "/caches/victim";
        s->outside = s->root + "/caches/outside";
        std::filesystem::create_directories(s->outside + "/nested");
        std::ofstream(s->victim) << kVictimContent;
        // Files under the names the rows give, of the size some rows give.
        for (const char* name : {"f0", "f1", "f2", "f3", "nested/deep"})
            std::ofstream(s->outside + "/" + name) << kVictimContent;
        sqlite3* other = nullptr;
        if (sqlite3_open((s->outside + "/other.db").c_str(), &other) != SQLITE_OK) std::abort();
        sqlite3_exec(other, "create table scores (name text, points integer); insert into scores values ('ann', 7);", nullptr,
                     nullptr, nullptr);
        sqlite3_close(other);
        s->outsideBefore = describe(s->outside);
        open(*s);
        return s;
    }();
    return *s;
}

// Replaces the manifest's rows and the data folder's files with what the bytes describe.
void plant(const std::string& folder, Reader input) {
    sqlite3* db = nullptr;
    if (sqlite3_open((folder + "/manifest.sqlite").c_str(), &db) != SQLITE_OK) std::abort();
    sqlite3_busy_timeout(db, 1000);
    sqlite3_exec(db, "delete from manifest;", nullptr, nullptr, nullptr);
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/data", ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert or replace into manifest (key, filename, size, inline_data, modification_time, "
                       "last_access_time, extended_data) values (?1, ?2, ?3, ?4, ?5, ?6, ?7);",
                       -1, &insert, nullptr);
    for (int row = 0; row < 8 && input.left; ++row) {
        std::string key = "k" + std::to_string(row % 4) + input.text(4);
        const uint8_t kind = input.byte();
        std::string filename;
        switch (kind % 5) {
        case 0: break; // inline
        case 1: filename = "f" + std::to_string(row); break;
        case 2: filename = "../../victim"; break;
        case 3: filename = "../victim"; break;
        default: filename = input.text(24); break;
        }
        const int64_t size = (kind & 0x80) ? int64_t(kVictimContent.size()) : input.number();
        std::string inlineData = input.text(32), extended = input.text(16), content = input.text(48);
        sqlite3_bind_text(insert, 1, key.data(), int(key.size()), SQLITE_TRANSIENT);
        if (kind % 5) sqlite3_bind_text(insert, 2, filename.data(), int(filename.size()), SQLITE_TRANSIENT);
        else sqlite3_bind_null(insert, 2);
        sqlite3_bind_int64(insert, 3, size);
        sqlite3_bind_blob(insert, 4, inlineData.data(), int(inlineData.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 5, input.number());
        sqlite3_bind_int64(insert, 6, input.number());
        sqlite3_bind_blob(insert, 7, extended.data(), int(extended.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        // Only the plain names get a file here: the others point where nothing of ours may go.
        if (kind % 5 == 1) std::ofstream(folder + "/data/" + filename, std::ios::binary) << content;
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

bool isVictim(const ns::DataRef& data) { return data && data->view() == kVictimContent; }

// Links in the cache folders, by the bits of `links`. Those in place of a folder or of the manifest
// are planted with the storage closed, and it is opened again over them.
void plantLinks(Setup& s, uint8_t links) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    auto link = [&](const std::string& at, const std::string& target) {
        fs::remove_all(at, ignored);
        fs::create_symlink(target, at, ignored);
    };
    const std::string& folder = (links & 0x80) ? s.cachePath : s.storagePath;
    if (links & 0x01) link(folder + "/data/f1", s.outside + "/f1");
    if (links & 0x02) link(folder + "/data/f2", s.outside + "/nested");
    if (links & 0x04) {
        fs::remove(folder + "/data/f3", ignored);
        fs::create_hard_link(s.outside + "/f3", folder + "/data/f3", ignored);
    }
    if (links & 0x08) link(folder + "/data/f0.tmp", s.outside + "/f0");
    if (!(links & 0x70)) return;
    s.storage = nullptr;
    s.cache = nullptr;
    if (links & 0x10) link(folder + "/trash", s.outside);
    if (links & 0x20) link(folder + "/data", s.outside);
    if (links & 0x40) {
        link(folder + "/manifest.sqlite", s.outside + "/other.db");
        link(folder + "/manifest.sqlite-wal", s.outside + "/f0");
    }
    open(s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup& s = setup();
    Reader input{data, size};
    const uint8_t trims = input.byte();
    const uint8_t links = size > 1 ? data[size - 1] : 0;
    plant(s.storagePath, input);
    plant(s.cachePath, input);
    plantLinks(s, links);
    // Values handed back as stored, or through keyed unarchiving as the cache does by default.
    if (trims & 0x40) s.cache->setCustomUnarchiveBlock([](const ns::DataRef& d) { return ns::Value(d); });
    else s.cache->setCustomUnarchiveBlock(nullptr);

    for (int k = 0; k < 4; ++k) {
        for (std::string suffix : {"", "a", "ab"}) {
            const std::string key = "k" + std::to_string(k) + suffix;
            if (auto item = s.storage->getItem(key); item && isVictim(item->value)) std::abort();
            s.storage->itemExists(key);
            if (s.cache->containsObjectForKey(key)) {
                ns::Value object = s.cache->objectForKey(key);
                if (isVictim(object.data())) std::abort();
            }
        }
    }
    s.storage->itemsCount();
    s.storage->itemsSize();
    if (trims & 1) s.storage->removeItem("k0");
    if (trims & 2) s.storage->removeItemsToFitCount(trims >> 4);
    if (trims & 4) s.storage->removeItemsToFitSize(trims >> 2);
    if (trims & 8) s.storage->removeItemsEarlierThanTime(int64_t(trims) << 24);
    // Files written under names a link may hold, the one written aside first included.
    if (links & 0x0F) {
        for (const char* name : {"f0", "f1", "f2", "f3"})
            s.storage->saveItem(std::string("w") + name, ns::Data::fromString("new"), std::string(name));
        if (auto item = s.storage->getItem("wf1"); !item || item->value->view() != "new") std::abort();
    }
    s.cache->removeObjectForKey(std::string("k1"));
    s.cache->totalCount();
    if (trims & 0x20) s.storage->removeAllItems();

    if (readFile(s.victim) != kVictimContent) std::abort();
    // The trash is emptied in the background: what it did shows here at the latest one input later.
    if (describe(s.outside) != s.outsideBefore) std::abort();
    return 0;
}
