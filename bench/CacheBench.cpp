// The foundation kit's caches against the plain ways of doing the same work: the memory cache
// against an unordered_map + list LRU under a mutex, the disk cache against raw SQLite (WAL,
// synchronous normal) with plain file writes. Prints the ratio of each pair at the end.
#include "bench/BenchRatio.h"
#include "tests/support/ProcessScratch.h"
#include "foundation/VXDiskCache.h"
#include "foundation/VXMemoryCache.h"
#include "os/dispatch/Queue.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <algorithm>
#include <list>
#include <map>
#include <random>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kSmallCount = 1000;
constexpr size_t kSmallSize = 200;
constexpr int kLargeCount = 100;
constexpr size_t kLargeSize = 40000; // above the 20480-byte inline threshold

std::vector<std::string> makeKeys(int n, const char* prefix) {
    std::vector<std::string> keys;
    for (int i = 0; i < n; ++i) keys.push_back(prefix + std::to_string(i));
    return keys;
}

// --- Memory ---
// A ratio below 1 here is the cache's own trick: its LRU links live inside the map's nodes, one
// allocation per entry and one pointer chase per lookup, where map + list needs two of each.

// Out of line, as a cache class living in its own library would be for its callers.
class MapLRU {
public:
    [[gnu::noinline]] ns::Value get(const std::string& key) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(key);
        if (it == map_.end()) return {};
        list_.splice(list_.begin(), list_, it->second);
        return it->second->value;
    }
    [[gnu::noinline]] void set(const std::string& key, const ns::Value& value, size_t cost) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(key);
        if (it != map_.end()) {
            total_ = total_ - it->second->cost + cost;
            it->second->value = value;
            it->second->cost = cost;
            list_.splice(list_.begin(), list_, it->second);
            return;
        }
        list_.push_front({key, value, cost});
        map_.emplace(key, list_.begin());
        total_ += cost;
    }

private:
    struct Entry {
        std::string key;
        ns::Value value;
        size_t cost;
    };
    std::mutex mutex_;
    std::list<Entry> list_;
    std::unordered_map<std::string, std::list<Entry>::iterator> map_;
    size_t total_ = 0;
};

// Keys in a fixed shuffled order, so that a large cache is read all over, not along its list.
std::vector<size_t> shuffledOrder(size_t n) {
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    std::mt19937 generator(42);
    std::shuffle(order.begin(), order.end(), generator);
    return order;
}

// Every run makes its keys and fills a cache of its own. Sets replace entries of a full cache: a run
// that started empty timed a mix of inserts and replacements that depended on how many iterations
// it took (at 100k entries the ratio swung from 0.5x to 1.1x between two runs). Keys or caches made
// once per process and kept for every run leave each run's allocations to a heap that the program's
// other benchmarks shaped differently each time: the 10k-entry ratios then moved between 0.6x and
// 1.0x from one process to the next.
void MemoryGet_VXMemoryCache(benchmark::State& state) {
    auto cache = VXMemoryCache::make();
    auto keys = makeKeys(int(state.range(0)), "key");
    auto order = shuffledOrder(keys.size());
    auto object = ns::Data::fromString("image");
    for (const auto& key : keys) cache->setObject(object, key, 1);
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(cache->objectForKey(keys[order[i++ % keys.size()]]));
}

void MemoryGet_MapLRU(benchmark::State& state) {
    MapLRU cache;
    auto keys = makeKeys(int(state.range(0)), "key");
    auto order = shuffledOrder(keys.size());
    auto object = ns::Data::fromString("image");
    for (const auto& key : keys) cache.set(key, object, 1);
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(cache.get(keys[order[i++ % keys.size()]]));
}

void MemorySet_VXMemoryCache(benchmark::State& state) {
    auto cache = VXMemoryCache::make();
    auto keys = makeKeys(int(state.range(0)), "key");
    auto order = shuffledOrder(keys.size());
    ns::Value object(ns::Data::fromString("image"));
    for (const auto& key : keys) cache->setObject(object, key, 1);
    size_t i = 0;
    for (auto _ : state) cache->setObject(object, keys[order[i++ % keys.size()]], 1);
}

void MemorySet_MapLRU(benchmark::State& state) {
    MapLRU cache;
    auto keys = makeKeys(int(state.range(0)), "key");
    auto order = shuffledOrder(keys.size());
    ns::Value object(ns::Data::fromString("image"));
    for (const auto& key : keys) cache.set(key, object, 1);
    size_t i = 0;
    for (auto _ : state) cache.set(keys[order[i++ % keys.size()]], object, 1);
}

constexpr int64_t kMemorySizes[] = {1000, 10000, 100000, 1000000};
BENCHMARK(MemoryGet_VXMemoryCache)->Arg(kMemorySizes[0])->Arg(kMemorySizes[1])->Arg(kMemorySizes[2])->Arg(kMemorySizes[3]);
BENCHMARK(MemoryGet_MapLRU)->Arg(kMemorySizes[0])->Arg(kMemorySizes[1])->Arg(kMemorySizes[2])->Arg(kMemorySizes[3]);
BENCHMARK(MemorySet_VXMemoryCache)->Arg(kMemorySizes[0])->Arg(kMemorySizes[1])->Arg(kMemorySizes[2])->Arg(kMemorySizes[3]);
BENCHMARK(MemorySet_MapLRU)->Arg(kMemorySizes[0])->Arg(kMemorySizes[1])->Arg(kMemorySizes[2])->Arg(kMemorySizes[3]);

// --- Disk ---

ns::Ref<VXDiskCache> openDiskCache(const std::string& path) {
    auto cache = VXDiskCache::initWithPath(path);
    if (!cache) std::abort();
    cache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
    cache->setCustomUnarchiveBlock([](const ns::DataRef& data) { return ns::Value(data); });
    return cache;
}

// The same table, the same journal and the same per-item transactions, without the cache around them.
class RawStore {
public:
    explicit RawStore(const std::string& path) : folder_(path) {
        std::filesystem::create_directories(folder_ + "/data");
        sqlite3_open((folder_ + "/manifest.sqlite").c_str(), &db_);
        sqlite3_exec(db_,
                     "pragma journal_mode = wal; pragma synchronous = normal; "
                     "create table if not exists manifest (key text primary key not null, filename text, size integer, "
                     "inline_data blob, modification_time integer, last_access_time integer, extended_data blob); "
                     "create index if not exists last_access_time_idx on manifest(last_access_time);",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db_,
                           "insert or replace into manifest (key, filename, size, inline_data, modification_time, "
                           "last_access_time, extended_data) values (?1, ?2, ?3, ?4, ?5, ?6, ?7);",
                           -1, &insert_, nullptr);
        sqlite3_prepare_v2(db_, "select filename, size, inline_data from manifest where key = ?1;", -1, &select_, nullptr);
    }
    ~RawStore() {
        writeNotes();
        sqlite3_finalize(insert_);
        sqlite3_finalize(select_);
        sqlite3_finalize(selectNoting_);
        sqlite3_finalize(update_);
        sqlite3_close(db_);
    }

    void put(const std::string& key, const std::vector<uint8_t>& value, bool toFile) {
        std::string name = key + ".bin";
        if (toFile) {
            // The old file removed first, then a new one written: truncating a file in place, or
            // renaming a new one over it, makes ext4 push the data to disk at once (its guard for
            // replaced files). The cache too removes the old file before moving the new one in.
            const std::string target = folder_ + "/data/" + name;
            std::remove(target.c_str());
            FILE* f = std::fopen(target.c_str(), "wb");
            std::fwrite(value.data(), 1, value.size(), f);
            std::fclose(f);
        }
        sqlite3_reset(insert_);
        sqlite3_bind_text(insert_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        if (toFile) sqlite3_bind_text(insert_, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
        else sqlite3_bind_null(insert_, 2);
        sqlite3_bind_int64(insert_, 3, static_cast<int64_t>(value.size()));
        if (toFile) sqlite3_bind_null(insert_, 4);
        else sqlite3_bind_blob(insert_, 4, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
        int64_t now = static_cast<int64_t>(std::time(nullptr));
        sqlite3_bind_int64(insert_, 5, now);
        sqlite3_bind_int64(insert_, 6, now);
        sqlite3_bind_null(insert_, 7);
        sqlite3_step(insert_);
        sqlite3_reset(insert_);
    }

    // Many small items in one transaction, last used an hour ago: the starting state of the scaling runs.
    void populate(const std::vector<std::string>& keys, const std::vector<uint8_t>& value) {
        sqlite3_exec(db_, "begin;", nullptr, nullptr, nullptr);
        const int64_t hourAgo = static_cast<int64_t>(std::time(nullptr)) - 3600;
        for (const auto& key : keys) {
            sqlite3_reset(insert_);
            sqlite3_bind_text(insert_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
            sqlite3_bind_null(insert_, 2);
            sqlite3_bind_int64(insert_, 3, static_cast<int64_t>(value.size()));
            sqlite3_bind_blob(insert_, 4, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
            sqlite3_bind_int64(insert_, 5, hourAgo);
            sqlite3_bind_int64(insert_, 6, hourAgo);
            sqlite3_bind_null(insert_, 7);
            sqlite3_step(insert_);
        }
        sqlite3_reset(insert_);
        sqlite3_exec(db_, "commit; pragma wal_checkpoint(truncate);", nullptr, nullptr, nullptr);
    }

    std::vector<uint8_t> get(const std::string& key) {
        sqlite3_reset(select_);
        sqlite3_bind_text(select_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        std::vector<uint8_t> out;
        if (sqlite3_step(select_) != SQLITE_ROW) return out;
        if (auto name = sqlite3_column_text(select_, 0)) {
            FILE* f = std::fopen((folder_ + "/data/" + reinterpret_cast<const char*>(name)).c_str(), "rb");
            out.resize(static_cast<size_t>(sqlite3_column_int64(select_, 1)));
            if (f) {
                out.resize(std::fread(out.data(), 1, out.size(), f));
                std::fclose(f);
            }
        } else {
            auto bytes = static_cast<const uint8_t*>(sqlite3_column_blob(select_, 2));
            out.assign(bytes, bytes + sqlite3_column_bytes(select_, 2));
        }
        sqlite3_reset(select_);
        return out;
    }

    // A read that also notes its access time, as any store with least-recently-used trimming must:
    // one note per key while it waits (only when the second changed), written 4,096 at a time in
    // key order in one transaction.
    std::vector<uint8_t> getNoting(const std::string& key) {
        if (!selectNoting_)
            sqlite3_prepare_v2(db_, "select inline_data, last_access_time from manifest where key = ?1;", -1, &selectNoting_,
                               nullptr);
        sqlite3_reset(selectNoting_);
        sqlite3_bind_text(selectNoting_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
        std::vector<uint8_t> out;
        if (sqlite3_step(selectNoting_) != SQLITE_ROW) return out;
        auto bytes = static_cast<const uint8_t*>(sqlite3_column_blob(selectNoting_, 0));
        out.assign(bytes, bytes + sqlite3_column_bytes(selectNoting_, 0));
        const int64_t stored = sqlite3_column_int64(selectNoting_, 1);
        sqlite3_reset(selectNoting_);
        const int64_t now = static_cast<int64_t>(std::time(nullptr));
        if (now != stored) {
            notes_[key] = now;
            if (notes_.size() >= 4096) writeNotes();
        }
        return out;
    }

private:
    void writeNotes() {
        if (notes_.empty()) return;
        if (!update_)
            sqlite3_prepare_v2(db_, "update manifest set last_access_time = ?1 where key = ?2;", -1, &update_, nullptr);
        std::vector<std::pair<std::string, int64_t>> notes(notes_.begin(), notes_.end());
        notes_.clear();
        std::sort(notes.begin(), notes.end());
        sqlite3_exec(db_, "begin;", nullptr, nullptr, nullptr);
        for (const auto& [key, time] : notes) {
            sqlite3_reset(update_);
            sqlite3_bind_int64(update_, 1, time);
            sqlite3_bind_text(update_, 2, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
            sqlite3_step(update_);
        }
        sqlite3_reset(update_);
        sqlite3_exec(db_, "commit;", nullptr, nullptr, nullptr);
    }

    std::string folder_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* selectNoting_ = nullptr;
    sqlite3_stmt* update_ = nullptr;
    std::unordered_map<std::string, int64_t> notes_;
};

void DiskWrite(benchmark::State& state, int count, size_t size, bool raw) {
    auto keys = makeKeys(count, "item");
    std::vector<uint8_t> bytes(size, 0x5a);
    auto data = ns::Data::make(bytes);
    std::string path = vx::test::processScratchFolder() + (raw ? "/raw" : "/cache");
    if (raw) {
        RawStore store(path);
        for (auto _ : state)
            for (const auto& key : keys) store.put(key, bytes, size > VXDiskCache::DefaultInlineThreshold);
    } else {
        auto cache = openDiskCache(path);
        for (auto _ : state)
            for (const auto& key : keys) cache->setObject(data, key);
    }
    state.SetItemsProcessed(state.iterations() * count);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void DiskRead(benchmark::State& state, int count, size_t size, bool raw) {
    auto keys = makeKeys(count, "item");
    std::vector<uint8_t> bytes(size, 0x5a);
    auto data = ns::Data::make(bytes);
    std::string path = vx::test::processScratchFolder() + (raw ? "/raw" : "/cache");
    if (raw) {
        RawStore store(path);
        for (const auto& key : keys) store.put(key, bytes, size > VXDiskCache::DefaultInlineThreshold);
        for (auto _ : state)
            for (const auto& key : keys) benchmark::DoNotOptimize(store.get(key));
    } else {
        auto cache = openDiskCache(path);
        for (const auto& key : keys) cache->setObject(data, key);
        for (auto _ : state)
            for (const auto& key : keys) benchmark::DoNotOptimize(cache->objectForKey(key));
    }
    state.SetItemsProcessed(state.iterations() * count);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

// Disk writes and sets do more work on the cache's side (a lookup of the old file name); a ratio
// below 1 for them is noise. The large writes above all are dominated by creating files, whose cost
// on a busy ext4 (a scan past recently freed inodes) varies with whatever was deleted just before.
// Disk work is compared in CPU time of the whole process (the cache notes reads on a queue of its
// own): what the code costs, without the waits of a disk that other work shares.
void onDisk(benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime(); }
BENCHMARK_CAPTURE(DiskWrite, Small_VXDiskCache, kSmallCount, kSmallSize, false)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskWrite, Small_RawSQLite, kSmallCount, kSmallSize, true)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskWrite, Large_VXDiskCache, kLargeCount, kLargeSize, false)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskWrite, Large_RawSQLite, kLargeCount, kLargeSize, true)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskRead, Small_VXDiskCache, kSmallCount, kSmallSize, false)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskRead, Small_RawSQLite, kSmallCount, kSmallSize, true)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskRead, Large_VXDiskCache, kLargeCount, kLargeSize, false)->Apply(onDisk);
BENCHMARK_CAPTURE(DiskRead, Large_RawSQLite, kLargeCount, kLargeSize, true)->Apply(onDisk);

// --- Disk, by number of items ---
// Both sides open a copy of the same manifest of `count` small inline items, then read (or
// overwrite) one item per iteration in a shuffled order.

constexpr int64_t kDiskSizes[] = {1000, 10000, 100000};

// The populated folder for a size, made once per process and copied for every run.
const std::string& diskTemplate(int64_t count) {
    static std::map<int64_t, std::string> folders;
    auto& folder = folders[count];
    if (folder.empty()) {
        folder = vx::test::processScratchFolder() + "/template";
        RawStore(folder).populate(makeKeys(int(count), "item"), std::vector<uint8_t>(kSmallSize, 0x5a));
    }
    return folder;
}

std::string diskCopy(int64_t count, const char* name) {
    std::string path = vx::test::processScratchFolder() + "/" + name;
    std::filesystem::copy(diskTemplate(count), path, std::filesystem::copy_options::recursive);
    return path;
}

// Gets run as sessions: each iteration opens a fresh copy, reads kSessionReads items in a shuffled
// order and closes it. The cache writes its reads' access notes in batches on a queue of its own
// and the rest when it closes; a loop that stopped the clock while notes still waited left up to
// a batch and a half of them out of the cache's time (0.72x of the same job at 100k items), so the
// close is timed on every side.
constexpr size_t kSessionReads = 16384; // four batches of notes

template <class Session> void getSessions(benchmark::State& state, const char* name, Session session) {
    const auto keys = makeKeys(int(state.range(0)), "item");
    const auto order = shuffledOrder(keys.size());
    std::vector<const std::string*> reads(kSessionReads);
    for (size_t i = 0; i < kSessionReads; ++i) reads[i] = &keys[order[i % keys.size()]];
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = diskCopy(state.range(0), name);
        state.ResumeTiming();
        session(path, reads);
        state.PauseTiming();
        std::filesystem::remove_all(std::filesystem::path(path).parent_path());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kSessionReads));
}

void DiskGet_VXDiskCache(benchmark::State& state) {
    getSessions(state, "cache", [](const std::string& path, const std::vector<const std::string*>& reads) {
        auto cache = openDiskCache(path);
        for (const auto* key : reads)
            if (cache->objectForKey(*key).isNil()) std::abort();
    });
}

// A bare select: what a read costs without noting it.
void DiskGet_RawSQLite(benchmark::State& state) {
    getSessions(state, "raw", [](const std::string& path, const std::vector<const std::string*>& reads) {
        RawStore store(path);
        for (const auto* key : reads)
            if (store.get(*key).empty()) std::abort();
    });
}

// The same job as the cache's gets: the read and its access note.
void DiskGet_RawSQLiteNotes(benchmark::State& state) {
    getSessions(state, "raw", [](const std::string& path, const std::vector<const std::string*>& reads) {
        RawStore store(path);
        for (const auto* key : reads)
            if (store.getNoting(*key).empty()) std::abort();
    });
}

void DiskSet_VXDiskCache(benchmark::State& state) {
    const auto keys = makeKeys(int(state.range(0)), "item");
    const auto order = shuffledOrder(keys.size());
    const auto data = ns::Data::make(std::vector<uint8_t>(kSmallSize, 0xa5));
    const std::string path = diskCopy(state.range(0), "cache");
    {
        auto cache = openDiskCache(path);
        size_t i = 0;
        for (auto _ : state) cache->setObject(data, keys[order[i++ % keys.size()]]);
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void DiskSet_RawSQLite(benchmark::State& state) {
    const auto keys = makeKeys(int(state.range(0)), "item");
    const auto order = shuffledOrder(keys.size());
    const std::vector<uint8_t> bytes(kSmallSize, 0xa5);
    const std::string path = diskCopy(state.range(0), "raw");
    {
        RawStore store(path);
        size_t i = 0;
        for (auto _ : state) store.put(keys[order[i++ % keys.size()]], bytes, false);
    }
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

// A session is one iteration (about 0.1 to 0.3 s): no minimum time, so each run is one session.
void getRuns(benchmark::internal::Benchmark* b) {
    b->Arg(kDiskSizes[0])->Arg(kDiskSizes[1])->Arg(kDiskSizes[2])->MeasureProcessCPUTime()->Iterations(1);
}
BENCHMARK(DiskGet_VXDiskCache)->Apply(getRuns);
BENCHMARK(DiskGet_RawSQLite)->Apply(getRuns);
BENCHMARK(DiskGet_RawSQLiteNotes)->Apply(getRuns);
BENCHMARK(DiskSet_VXDiskCache)->Arg(kDiskSizes[0])->Arg(kDiskSizes[1])->Arg(kDiskSizes[2])->MeasureProcessCPUTime();
BENCHMARK(DiskSet_RawSQLite)->Arg(kDiskSizes[0])->Arg(kDiskSizes[1])->Arg(kDiskSizes[2])->MeasureProcessCPUTime();

std::vector<benchratio::Pair> ratioPairs() {
    std::vector<benchratio::Pair> pairs;
    for (int64_t n : kMemorySizes)
        for (const char* op : {"MemoryGet", "MemorySet"}) {
            const std::string arg = "/" + std::to_string(n);
            pairs.push_back({std::string(op) + "_VXMemoryCache" + arg, std::string(op) + "_MapLRU" + arg});
        }
    pairs.push_back({"DiskWrite/Small_VXDiskCache", "DiskWrite/Small_RawSQLite"});
    pairs.push_back({"DiskWrite/Large_VXDiskCache", "DiskWrite/Large_RawSQLite"});
    pairs.push_back({"DiskRead/Small_VXDiskCache", "DiskRead/Small_RawSQLite"});
    pairs.push_back({"DiskRead/Large_VXDiskCache", "DiskRead/Large_RawSQLite"});
    for (int64_t n : kDiskSizes) {
        const std::string arg = "/" + std::to_string(n);
        // Gets against the same job (read and note), and against a bare select for what the notes cost.
        pairs.push_back({"DiskGet_VXDiskCache" + arg, "DiskGet_RawSQLiteNotes" + arg});
        pairs.push_back({"DiskGet_VXDiskCache" + arg, "DiskGet_RawSQLite" + arg, "DiskGet" + arg + " vs select only"});
        pairs.push_back({"DiskSet_VXDiskCache" + arg, "DiskSet_RawSQLite" + arg});
    }
    return pairs;
}

} // namespace

int main(int argc, char** argv) {
    // Both sides of every pair run in a process with the OS layer's threads started, as in the app:
    // a process that never started a thread takes cheaper, non-atomic paths for shared references.
    auto warmUp = VXMemoryCache::make();
    dispatch::sync(dispatch::Queue::global(), [] {});
    return benchratio::runWithRatios(argc, argv, ratioPairs(), {.cpuTime = true});
}
