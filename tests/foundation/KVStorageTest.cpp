#include "foundation/VXKVStorage.h"

#include "os/foundation/Clock.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Sandbox.h"
#include "tests/support/Environment.h"

#include <sqlite3.h>

#include <algorithm>
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

// The times an item reports: written when last saved, used when this read happened (whole
// seconds of the wall clock); what trimming by age goes by is the last use, kept across a reopening.
TEST_F(KVStorageTest, AnItemReportsWhenItWasSavedAndWhenItWasLastUsed) {
    const auto start = static_cast<int64_t>(ns::Clock::wallNow());
    auto storage = open();
    ASSERT_TRUE(storage->saveItem("inline", bytes(10, 1)));
    ASSERT_TRUE(storage->saveItem("file", bytes(30000, 2), std::string("file")));
    ASSERT_TRUE(storage->saveItem("idle", bytes(10, 3)));

    advance(100.7);
    for (const char* key : {"inline", "file"}) {
        auto item = storage->getItem(key);
        ASSERT_TRUE(item) << key;
        EXPECT_EQ(item->modTime, start) << key;
        EXPECT_EQ(item->accessTime, start + 100) << key;
    }
    advance(50);
    auto again = storage->getItem("inline");
    EXPECT_EQ(again->modTime, start);
    EXPECT_EQ(again->accessTime, start + 150);

    // Saving anew moves both times.
    ASSERT_TRUE(storage->saveItem("file", bytes(30000, 4), std::string("file")));
    advance(10);
    auto resaved = storage->getItem("file");
    EXPECT_EQ(resaved->modTime, start + 150);
    EXPECT_EQ(resaved->accessTime, start + 160);

    // The uses are kept across a reopening, and a cut by age goes by them.
    storage.reset();
    storage = open();
    advance(5);
    EXPECT_EQ(storage->getItem("idle")->accessTime, start + 165);
    EXPECT_TRUE(storage->removeItemsEarlierThanTime(start + 120));
    EXPECT_TRUE(storage->itemExists("inline"));
    EXPECT_TRUE(storage->itemExists("file"));
    EXPECT_TRUE(storage->itemExists("idle")) << "saved at the start, but read just now";
    EXPECT_TRUE(storage->removeItemsEarlierThanTime(start + 155));
    EXPECT_FALSE(storage->itemExists("inline")) << "last used at +150";
    EXPECT_TRUE(storage->itemExists("file")) << "last used at +160";
    ASSERT_TRUE(storage->saveItem("new", bytes(10, 5)));
    advance(100);
    EXPECT_TRUE(storage->removeItemsEarlierThanTime(start + 161));
    EXPECT_FALSE(storage->itemExists("file"));
    EXPECT_TRUE(storage->itemExists("new")) << "a save counts as a use";
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

// A manifest made by something else under our names: every shape the statements cannot use is
// set aside with its files, as a damaged one is, and the storage works from the first start on.
TEST_F(KVStorageTest, ManifestOfAnotherShapeIsRebuiltWithItsFiles) {
    const char* const shapes[] = {
        "create table manifest (a text, b text); insert into manifest values ('k', 'f');",
        // Our columns and one more; our columns without the key as primary key.
        "create table manifest (key text primary key not null, filename text, size integer, inline_data blob, "
        "modification_time integer, last_access_time integer, extended_data blob, extra text);",
        "create table manifest (key text, filename text, size integer, inline_data blob, modification_time integer, "
        "last_access_time integer, extended_data blob);",
        // Right table, index under our name on another column; a view in the table's place.
        "create table manifest (key text primary key not null, filename text, size integer, inline_data blob, "
        "modification_time integer, last_access_time integer, extended_data blob); "
        "create index last_access_time_idx on manifest(size);",
        "create table t (key text primary key not null, filename text, size integer, inline_data blob, "
        "modification_time integer, last_access_time integer, extended_data blob); "
        "create view manifest as select * from t;",
    };
    for (const char* shape : shapes) {
        SCOPED_TRACE(shape);
        ns::FileManager::defaultManager().removeItem(folder());
        ns::FileManager::defaultManager().createDirectory(folder() + "/data", true);
        std::ofstream(folder() + "/data/f") << "left by the other manifest";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((folder() + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, shape, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);

        for (int start = 0; start < 2; ++start) {
            auto storage = open();
            ASSERT_TRUE(storage) << "start " << start;
            EXPECT_FALSE(exists("data/f"));
            ASSERT_TRUE(storage->saveItem("inline", bytes(10, 1)));
            ASSERT_TRUE(storage->saveItem("file", bytes(30000, 2), std::string("file")));
            ASSERT_TRUE(storage->getItem("file"));
            EXPECT_EQ(storage->itemsCount(), 2);
        }
        EXPECT_TRUE(logContains("has another shape than ours"));
    }

    // Reshaped while open: the call that meets it fails, the next one works on a rebuilt manifest.
    ns::FileManager::defaultManager().removeItem(folder());
    auto storage = open();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder() + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "drop table manifest; create table manifest (a text, b text);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(storage->saveItem("k", bytes(10, 1)));
    EXPECT_TRUE(storage->saveItem("k", bytes(10, 1)));
    EXPECT_TRUE(storage->getItem("k"));
}

// Files no row names (a crash between a file and its row, a file planted in the folder) would
// stay forever: opening removes them and keeps every file an item uses.
TEST_F(KVStorageTest, FilesNoItemNamesAreRemovedOnOpening) {
    {
        auto storage = open();
        ASSERT_TRUE(storage->saveItem("a", bytes(30000, 1), std::string("a-file")));
        ASSERT_TRUE(storage->saveItem("b", bytes(30000, 2), std::string("b-file")));
        ASSERT_TRUE(storage->saveItem("c", bytes(30, 3)));
    }
    for (const char* stray : {"orphan", "c", "a-file.tmp", "0cc175b9c0f1b6a831c399e269772661"})
        std::ofstream(folder() + "/data/" + stray) << "stray";
    ns::FileManager::defaultManager().createDirectory(folder() + "/data/folder/inside", true);
    auto storage = open();
    auto left = ns::FileManager::defaultManager().contentsOfDirectory(folder() + "/data");
    ASSERT_TRUE(left);
    std::vector<std::string> names(left->begin(), left->end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a-file", "b-file"}));
    EXPECT_TRUE(storage->getItem("a")->value->isEqual(*bytes(30000, 1)));
    EXPECT_TRUE(storage->getItem("b")->value->isEqual(*bytes(30000, 2)));
    EXPECT_TRUE(storage->getItem("c")->value->isEqual(*bytes(30, 3)));
    EXPECT_TRUE(logContains("removed 5 files"));
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
