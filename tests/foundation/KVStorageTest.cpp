#include "foundation/VXKVStorage.h"

#include "os/foundation/FileManager.h"
#include "os/foundation/Sandbox.h"
#include "tests/support/Environment.h"

#include <sqlite3.h>

#include <fstream>

namespace {

ns::DataRef bytes(size_t length, uint8_t fill) { return ns::Data::make(std::vector<uint8_t>(length, fill)); }

class KVStorageTest : public vx::test::SandboxTest {
protected:
    std::string folder() const { return ns::cachesPath() + "/kv"; }
    ns::Ref<VXKVStorage> open(VXKVStorageType type = VXKVStorageType::Mixed) { return VXKVStorage::initWithPath(folder(), type); }
    bool exists(const std::string& relative) const {
        return ns::FileManager::defaultManager().fileExists(folder() + "/" + relative);
    }
};

TEST_F(KVStorageTest, WALManifestWithInlineValuesAndFiles) {
    auto storage = open();
    ASSERT_TRUE(storage->saveItem("big", bytes(30000, 7), std::string("bigfile"), ns::Data::fromString("ext")));
    ASSERT_TRUE(storage->saveItem("small", bytes(100, 3)));
    EXPECT_TRUE(exists("data/bigfile"));
    EXPECT_EQ(ns::FileManager::defaultManager().contentsOfDirectory(folder() + "/data")->size(), 1u);
    EXPECT_TRUE(exists("trash"));

    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_open((folder() + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
    sqlite3_prepare_v2(db, "pragma journal_mode;", -1, &stmt, nullptr);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    sqlite3_close(db);

    auto big = storage->getItem("big");
    ASSERT_TRUE(big);
    EXPECT_TRUE(big->value->isEqual(*bytes(30000, 7)));
    EXPECT_EQ(big->extendedData->toString(), "ext");
    EXPECT_TRUE(storage->getItem("small")->value->isEqual(*bytes(100, 3)));
    EXPECT_EQ(storage->itemsSize(), 30100);

    // An inline value replacing a file value removes the file.
    ASSERT_TRUE(storage->saveItem("big", bytes(5, 9)));
    EXPECT_FALSE(exists("data/bigfile"));
    EXPECT_TRUE(storage->removeItem("big"));
    EXPECT_FALSE(storage->getItem("big"));
    EXPECT_EQ(storage->itemsCount(), 1);
    EXPECT_FALSE(storage->saveItem("", bytes(4, 1)));
    EXPECT_FALSE(storage->saveItem("e", ns::Data::make()));
    EXPECT_FALSE(VXKVStorage::initWithPath(folder() + "/f", VXKVStorageType::File)->saveItem("a", bytes(4, 1)));
}

TEST_F(KVStorageTest, NoReadIsLeftOpenSoCheckpointsKeepTheWALSmall) {
    auto storage = open();
    for (int i = 0; i < 5000; ++i) // 10 MB through the log, replacing existing items
        storage->saveItem("k" + std::to_string(i % 100), bytes(2000, 1));
    EXPECT_LT(*ns::FileManager::defaultManager().fileSize(folder() + "/manifest.sqlite-wal"), 6u << 20);
}

TEST_F(KVStorageTest, RemoveAllGoesThroughTheTrashEmptiedInBackground) {
    auto storage = open();
    storage->saveItem("a", bytes(30000, 1), std::string("a"));
    EXPECT_TRUE(storage->removeAllItems());
    EXPECT_EQ(storage->itemsCount(), 0);
    EXPECT_FALSE(exists("data/a"));
    settle();
    EXPECT_TRUE(ns::FileManager::defaultManager().contentsOfDirectory(folder() + "/trash")->empty());
    EXPECT_TRUE(storage->saveItem("c", bytes(3, 1)));
}

// Read times are noted and written in batches in the background; trimming still sees every read.
TEST_F(KVStorageTest, AccessNotesWrittenInBatchesStillOrderTrimming) {
    constexpr int kItems = 6000, kRead = 5000; // more than one batch of notes
    auto storage = open(VXKVStorageType::SQLite);
    for (int i = 0; i < kItems; ++i) ASSERT_TRUE(storage->saveItem("k" + std::to_string(i), bytes(8, 1)));
    advance(10);
    // The items read are the older rows: without their notes, they would go first.
    for (int i = 0; i < kRead; ++i) ASSERT_TRUE(storage->getItem("k" + std::to_string(i)));
    EXPECT_TRUE(storage->saveItem("written meanwhile", bytes(8, 2)));
    ASSERT_TRUE(storage->removeItemsToFitCount(kRead + 1));
    EXPECT_FALSE(storage->itemExists("k" + std::to_string(kRead)));
    EXPECT_FALSE(storage->itemExists("k" + std::to_string(kItems - 1)));
    for (int i = 0; i < kRead; ++i) ASSERT_TRUE(storage->itemExists("k" + std::to_string(i))) << i;
    EXPECT_TRUE(storage->itemExists("written meanwhile"));

    // Notes still waiting when the storage closes are written then.
    advance(10);
    ASSERT_TRUE(storage->getItem("k0"));
    storage.reset();
    storage = open(VXKVStorageType::SQLite);
    ASSERT_TRUE(storage->removeItemsToFitCount(1));
    EXPECT_TRUE(storage->itemExists("k0"));
}

TEST_F(KVStorageTest, DamagedManifestIsRebuiltAndLogged) {
    // Not a database at all: rebuilt when opened.
    open()->saveItem("a", bytes(30000, 1), std::string("a"));
    std::ofstream(folder() + "/manifest.sqlite", std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
    auto storage = open(VXKVStorageType::SQLite);
    ASSERT_TRUE(storage);
    EXPECT_TRUE(logContains("sqlite exec failed (26)"));
    EXPECT_FALSE(storage->itemExists("a"));
    EXPECT_FALSE(exists("data/a"));

    // Pages damaged under a valid header: the failing call reports it, the next one rebuilds.
    for (int i = 0; i < 200; ++i) storage->saveItem("key" + std::to_string(i), bytes(2000, 1));
    storage.reset();
    {
        std::fstream file(folder() + "/manifest.sqlite", std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(4096 * 3);
        file << std::string(4096 * 20, '\x5a');
    }
    storage = open(VXKVStorageType::SQLite);
    for (int i = 0; i < 200; ++i) storage->getItem("key" + std::to_string(i));
    EXPECT_TRUE(storage->saveItem("fresh", bytes(3, 1)));
    EXPECT_TRUE(storage->getItem("fresh"));
    EXPECT_TRUE(logContains("was damaged; the storage was rebuilt empty"));

    // A manifest that cannot be opened at all (a folder in its place) is moved aside too.
    ns::FileManager::defaultManager().createDirectory(ns::cachesPath() + "/odd/manifest.sqlite", true);
    auto odd = VXKVStorage::initWithPath(ns::cachesPath() + "/odd", VXKVStorageType::Mixed);
    ASSERT_TRUE(odd);
    EXPECT_TRUE(odd->saveItem("k", bytes(3, 1)));
    EXPECT_TRUE(logContains("sqlite open failed (14)."));
    std::ofstream(ns::cachesPath() + "/plainfile") << "x";
    EXPECT_FALSE(VXKVStorage::initWithPath(ns::cachesPath() + "/plainfile", VXKVStorageType::Mixed));
}

TEST_F(KVStorageTest, MissingDamagedOrUnfinishedFiles) {
    auto storage = open();
    storage->saveItem("cut", bytes(30000, 1), std::string("cut"));
    storage->saveItem("gone", bytes(30000, 2), std::string("gone"));
    std::ofstream(folder() + "/data/cut", std::ios::binary | std::ios::trunc) << std::string(100, 'y');
    ns::FileManager::defaultManager().removeItem(folder() + "/data/gone");
    EXPECT_FALSE(storage->getItem("cut"));
    EXPECT_FALSE(storage->getItem("gone"));
    EXPECT_FALSE(storage->itemExists("cut")); // dropped, not kept half

    std::ofstream(folder() + "/data/abc.tmp") << "partial";
    open();
    EXPECT_FALSE(exists("data/abc.tmp"));
}

} // namespace

TEST_F(KVStorageTest, TamperedFileNamesNeverReachOutsideTheDataFolder) {
    // A file beside the storage folder, of exactly the stored value's size, that a "../" name points at.
    const std::string victim = ns::cachesPath() + "/victim";
    std::ofstream(victim) << std::string(100, 'v');
    auto storage = open();
    for (const char* key : {"read", "remove", "trim", "age"})
        ASSERT_TRUE(storage->saveItem(key, bytes(100, 1), std::string(key) + "-file"));
    EXPECT_FALSE(storage->saveItem("refused", bytes(100, 1), std::string("../../victim")));

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder() + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
    for (const char* name : {"../../victim", "..", "/etc/passwd", "sub/../../../victim"}) {
        std::string sql = std::string("update manifest set filename = '") + name + "' where key = 'read';";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_FALSE(storage->getItem("read")) << name; // neither read nor deleted; the row goes
        ASSERT_TRUE(storage->saveItem("read", bytes(100, 1), std::string("read-file")));
    }
    ASSERT_EQ(sqlite3_exec(db, "update manifest set filename = '../../victim';", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(storage->removeItem("remove"));
    EXPECT_TRUE(storage->removeItemsToFitCount(2));
    EXPECT_TRUE(storage->removeItemsEarlierThanTime(std::numeric_limits<int64_t>::max() - 1));
    EXPECT_TRUE(storage->removeAllItems());
    std::ifstream in(victim);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, std::string(100, 'v'));
}
