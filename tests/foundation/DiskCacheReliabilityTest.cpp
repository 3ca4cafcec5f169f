// A disk-cache writer killed mid-write: every write it saw return survives intact on reopening.
#include "foundation/VXDiskCache.h"

#include "os/foundation/Sandbox.h"
#include "tests/support/Environment.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

namespace {

// Values alternate between inline and file sizes; the content depends on the index only.
ns::DataRef valueFor(uint32_t i) {
    size_t length = i % 3 == 0 ? 20000 + (i * 7919) % 30000 : 50 + (i * 131) % 3000;
    std::vector<uint8_t> bytes(length);
    for (size_t j = 0; j < length; ++j) bytes[j] = static_cast<uint8_t>((i * 31 + j * 17) ^ (j >> 8));
    return ns::Data::make(std::move(bytes));
}

std::string keyFor(uint32_t i) { return "key-" + std::to_string(i); }

ns::Ref<VXDiskCache> openRaw(const std::string& path) {
    auto cache = VXDiskCache::initWithPath(path);
    if (!cache) return cache;
    cache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
    cache->setCustomUnarchiveBlock([](const ns::DataRef& data) { return ns::Value(data); });
    return cache;
}

[[noreturn]] void writeUntilKilled(const std::string& path, uint32_t first, int ackFd) {
    auto cache = openRaw(path);
    if (!cache) _exit(2);
    for (uint32_t i = first;; ++i) {
        auto value = valueFor(i);
        if (i % 2) VXDiskCache::setExtendedData(ns::Data::fromString(std::to_string(i)), value);
        cache->setObject(value, keyFor(i));
        if (write(ackFd, &i, sizeof i) != sizeof i) _exit(3);
    }
}

using DiskCacheReliabilityTest = vx::test::SandboxTest;

TEST_F(DiskCacheReliabilityTest, WritesThatReturnedSurviveAKilledWriter) {
    const std::string path = ns::cachesPath() + "/killed";
    std::set<uint32_t> acknowledged;
    std::vector<uint32_t> inFlight; // one per round: the write the kill may have cut
    uint32_t next = 0;
    for (int round = 0; round < 3; ++round) {
        settle(); // no thread of ours holds a lock while we fork
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            writeUntilKilled(path, next, fds[1]);
        }
        close(fds[1]);
        // Let it get well into its writes, then kill it wherever it is.
        const size_t target = 60 + round * 37;
        size_t seen = 0;
        uint32_t index;
        while (seen < target && read(fds[0], &index, sizeof index) == sizeof index) {
            acknowledged.insert(index);
            ++seen;
        }
        kill(child, SIGKILL);
        while (read(fds[0], &index, sizeof index) == sizeof index) acknowledged.insert(index);
        close(fds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself, status " << status;
        inFlight.push_back(*acknowledged.rbegin() + 1);
        next = inFlight.back() + 1;

        auto cache = openRaw(path);
        ASSERT_TRUE(cache);
        for (uint32_t i : acknowledged) {
            auto back = cache->objectForKey(keyFor(i));
            ASSERT_TRUE(back.data()) << "lost " << keyFor(i) << " in round " << round;
            ASSERT_TRUE(back.data()->isEqual(*valueFor(i))) << "damaged " << keyFor(i);
            auto extended = VXDiskCache::getExtendedDataFromObject(back);
            EXPECT_EQ(extended ? extended->toString() : "", i % 2 ? std::to_string(i) : "");
        }
        // A write in flight is either whole or absent.
        size_t whole = 0;
        for (uint32_t i : inFlight) {
            auto cut = cache->objectForKey(keyFor(i));
            if (!cut.data()) continue;
            EXPECT_TRUE(cut.data()->isEqual(*valueFor(i)));
            ++whole;
        }
        EXPECT_EQ(cache->totalCount(), static_cast<int64_t>(acknowledged.size() + whole));
    }
}

} // namespace
