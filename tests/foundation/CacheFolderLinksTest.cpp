// Whoever can write into a cache folder may swap its entries for links to files and folders
// elsewhere. The storage and the disk cache remove such links and never follow them: nothing
// outside the folder is read, written or deleted, and no other program's database is written into.

#include "foundation/VXDiskCache.h"
#include "foundation/VXKVStorage.h"

#include "os/foundation/Crypto.h"
#include "os/foundation/Sandbox.h"
#include "tests/support/Environment.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

namespace {

namespace fs = std::filesystem;

ns::DataRef bytes(size_t length, uint8_t fill) { return ns::Data::make(std::vector<uint8_t>(length, fill)); }

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CacheFolderLinksTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        fs::create_directories(outside() + "/nested");
        // 100 bytes, the size of the values stored below: a read that followed a link would pass
        // the size check and hand the file out.
        std::ofstream(outside() + "/f1", std::ios::binary) << std::string(100, 'o');
        std::ofstream(outside() + "/f2", std::ios::binary) << std::string(40, 'p');
        std::ofstream(outside() + "/nested/deep", std::ios::binary) << "deep";
        // Another program's database, in rollback mode as most are.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((outside() + "/other.db").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "create table scores (name text, points integer); insert into scores values ('ann', 7);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        before_ = snapshot();
    }

    std::string folder() const { return ns::cachesPath() + "/kv"; }
    std::string outside() const { return ns::cachesPath() + "/outside"; }
    ns::Ref<VXKVStorage> open() { return VXKVStorage::initWithPath(folder(), VXKVStorageType::Mixed); }

    // Every entry under the outside folder, with what identifies the content of each file.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(outside())) {
            std::string name = fs::relative(entry.path(), outside()).string();
            if (!entry.is_regular_file()) {
                entries[name] = "<folder>";
                continue;
            }
            // Length and a hash: a failure stays readable for the database too.
            const std::string content = readAll(entry.path());
            entries[name] = std::to_string(content.size()) + " bytes, " + content.substr(0, 8) + "…, hash " +
                            std::to_string(std::hash<std::string>{}(content));
        }
        return entries;
    }
    void expectOutsideUntouched() {
        settle(); // the trash is emptied in the background
        EXPECT_EQ(snapshot(), before_);
    }

    // Puts a link to `target` where the entry of the cache folder was.
    void plantLink(const std::string& relative, const std::string& target) {
        fs::remove_all(folder() + "/" + relative);
        fs::create_symlink(target, folder() + "/" + relative);
    }
    bool isLink(const std::string& relative) const { return fs::is_symlink(fs::symlink_status(folder() + "/" + relative)); }
    bool isFolder(const std::string& relative) const {
        return fs::is_directory(fs::symlink_status(folder() + "/" + relative));
    }

    // Rows whose files are inside the data folder; the rows stay when the folder is swapped.
    void storeFiles(VXKVStorage& storage, std::initializer_list<const char*> names) {
        for (const char* name : names) ASSERT_TRUE(storage.saveItem(name, bytes(100, 1), std::string(name)));
    }

    std::map<std::string, std::string> before_;
};

// The trash is emptied when the storage opens, when everything is removed, and when the disk
// cache's timed trim removes everything: a link in its place is removed, its target kept.
TEST_F(CacheFolderLinksTest, TrashLinkIsRemovedNeverEmptied) {
    enum class When { AtOpen, RemoveAll, TimedTrim };
    for (When when : {When::AtOpen, When::RemoveAll, When::TimedTrim}) {
        SCOPED_TRACE(static_cast<int>(when));
        if (when == When::AtOpen) {
            open()->saveItem("a", bytes(100, 1), std::string("a"));
            plantLink("trash", outside());
            ASSERT_TRUE(open());
        } else if (when == When::RemoveAll) {
            auto storage = open();
            ASSERT_NO_FATAL_FAILURE(storeFiles(*storage, {"a", "b"}));
            plantLink("trash", outside());
            EXPECT_TRUE(storage->removeAllItems());
            EXPECT_EQ(storage->itemsCount(), 0);
            EXPECT_TRUE(storage->saveItem("c", bytes(100, 1), std::string("c")));
        } else {
            auto cache = VXDiskCache::initWithPath(folder());
            ASSERT_TRUE(cache);
            cache->setObject(ns::Value(bytes(30000, 1)), std::string("big"));
            plantLink("trash", outside());
            cache->setAgeLimit(0); // the next trim removes everything
            advance(61);
            EXPECT_EQ(cache->totalCount(), 0);
        }
        expectOutsideUntouched();
        EXPECT_FALSE(isLink("trash"));
        EXPECT_TRUE(isFolder("trash"));
    }
}

// The data folder swapped for a link to a folder holding files under the names the rows give, of
// the sizes they give or not: reads, removals and trims reach none of them, whether the link was
// planted before the storage opened or while it was open.
TEST_F(CacheFolderLinksTest, DataFolderLinkWithManifestRows) {
    for (bool whileOpen : {false, true}) {
        SCOPED_TRACE(whileOpen);
        fs::remove_all(folder());
        auto storage = open();
        ASSERT_NO_FATAL_FAILURE(storeFiles(*storage, {"f1", "f2", "nested", "gone"}));
        if (!whileOpen) storage.reset();
        fs::rename(folder() + "/data", folder() + "/moved");
        plantLink("data", outside());
        if (!whileOpen) {
            storage = open();
            ASSERT_TRUE(storage);
            EXPECT_FALSE(isLink("data"));
            EXPECT_TRUE(logContains("removed a link planted as the folder \"data\""));
        }
        auto f1 = storage->getItem("f1"); // same size as the outside file
        EXPECT_TRUE(!f1 || f1->value->isEqual(*bytes(100, 1)));
        auto f2 = storage->getItem("f2"); // a size mismatch if the outside file were read
        EXPECT_TRUE(!f2 || f2->value->isEqual(*bytes(100, 1)));
        EXPECT_TRUE(storage->removeItem("gone"));
        EXPECT_TRUE(storage->removeItemsToFitCount(1));
        EXPECT_TRUE(storage->removeItemsEarlierThanTime(std::numeric_limits<int64_t>::max() - 1));
        EXPECT_EQ(storage->itemsCount(), 0);
        EXPECT_TRUE(storage->removeAllItems());
        expectOutsideUntouched();
        EXPECT_FALSE(isLink("data"));
    }
}

// Links (and a second name) in place of the stored files: never read, written or deleted through;
// the link itself goes with its row.
TEST_F(CacheFolderLinksTest, LinksInPlaceOfStoredFiles) {
    auto storage = open();
    ASSERT_NO_FATAL_FAILURE(storeFiles(*storage, {"read", "hard", "remove", "trim", "age", "replace"}));
    plantLink("data/read", outside() + "/f1");
    fs::remove(folder() + "/data/hard");
    ASSERT_EQ(::link((outside() + "/f1").c_str(), (folder() + "/data/hard").c_str()), 0);
    plantLink("data/remove", outside() + "/f2");
    plantLink("data/trim", outside() + "/nested");
    plantLink("data/age", outside() + "/nested");
    plantLink("data/replace", outside() + "/f2");

    EXPECT_FALSE(storage->getItem("read"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder() + "/data/read")));
    EXPECT_FALSE(storage->getItem("hard"));
    EXPECT_FALSE(fs::exists(folder() + "/data/hard"));
    EXPECT_TRUE(storage->saveItem("replace", bytes(100, 2), std::string("replace")));
    EXPECT_FALSE(isLink("data/replace"));
    EXPECT_TRUE(storage->getItem("replace")->value->isEqual(*bytes(100, 2)));
    EXPECT_TRUE(storage->removeItem("remove"));
    EXPECT_TRUE(storage->removeItemsToFitCount(2));
    EXPECT_TRUE(storage->removeItemsEarlierThanTime(std::numeric_limits<int64_t>::max() - 1));
    EXPECT_EQ(storage->itemsCount(), 0);
    EXPECT_TRUE(fs::is_empty(folder() + "/data"));
    expectOutsideUntouched();
}

// A store never writes through the name of the file being written aside (".tmp"), and a link
// left there is removed at open.
TEST_F(CacheFolderLinksTest, TempFileLinkIsNeverWrittenThrough) {
    auto storage = open();
    plantLink("data/new.tmp", outside() + "/f1");
    ASSERT_TRUE(storage->saveItem("new", bytes(100, 7), std::string("new")));
    EXPECT_TRUE(storage->getItem("new")->value->isEqual(*bytes(100, 7)));
    EXPECT_FALSE(isLink("data/new"));
    storage.reset();

    plantLink("data/old.tmp", outside() + "/f2");
    plantLink("data/dir.tmp", outside() + "/nested");
    ASSERT_TRUE(open());
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder() + "/data/new.tmp")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder() + "/data/old.tmp")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder() + "/data/dir.tmp")));
    expectOutsideUntouched();
}

// The manifest (or its log) as a link or a second name of another program's database: the name is
// removed and a manifest of our own made; the other database keeps every byte. A database of
// someone else's copied in is not written into either: it is set aside like a damaged one.
TEST_F(CacheFolderLinksTest, ManifestOfAnotherProgramIsNeverWrittenInto) {
    enum class Plant { Symlink, HardLink, WalLink, ForeignCopy };
    for (Plant plant : {Plant::Symlink, Plant::HardLink, Plant::WalLink, Plant::ForeignCopy}) {
        SCOPED_TRACE(static_cast<int>(plant));
        fs::remove_all(folder());
        fs::create_directories(folder());
        const std::string manifest = folder() + "/manifest.sqlite";
        switch (plant) {
        case Plant::Symlink: fs::create_symlink(outside() + "/other.db", manifest); break;
        case Plant::HardLink: ASSERT_EQ(::link((outside() + "/other.db").c_str(), manifest.c_str()), 0); break;
        case Plant::WalLink:
            ASSERT_TRUE(open()->saveItem("k", bytes(10, 1)));
            fs::create_symlink(outside() + "/f1", manifest + "-wal");
            break;
        case Plant::ForeignCopy: fs::copy_file(outside() + "/other.db", manifest); break;
        }
        auto storage = open();
        ASSERT_TRUE(storage);
        EXPECT_TRUE(storage->saveItem("a", bytes(100, 3), std::string("a")));
        EXPECT_TRUE(storage->saveItem("b", bytes(10, 3)));
        EXPECT_TRUE(storage->getItem("b"));
        storage.reset(); // the background writer of access notes opens the manifest too
        EXPECT_FALSE(isLink("manifest.sqlite"));
        struct stat st {};
        ASSERT_EQ(::lstat(manifest.c_str(), &st), 0);
        EXPECT_EQ(st.st_nlink, 1u);
        if (plant == Plant::ForeignCopy) {
            EXPECT_TRUE(logContains("holds tables that are not ours"));
        }
        expectOutsideUntouched();
    }
}

// What the disk cache keeps as files: its key's MD5 under the data folder, swapped for a link.
TEST_F(CacheFolderLinksTest, DiskCacheReadsNoFileThroughALink) {
    auto cache = VXDiskCache::initWithPath(folder());
    cache->setCustomArchiveBlock([](const ns::Value& object) { return object.data(); });
    cache->setCustomUnarchiveBlock([](const ns::DataRef& data) { return ns::Value(data); });
    cache->setObject(ns::Value(bytes(100, 1)), std::string("key"));
    ASSERT_TRUE(cache->containsObjectForKey(std::string("key")));
    // Forced into a file whatever the threshold: the row names the file, the file is a link.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder() + "/manifest.sqlite").c_str(), &db), SQLITE_OK);
    const std::string sql =
        "update manifest set filename = '" + ns::md5Hex("key") + "', inline_data = null where key = 'key';";
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    plantLink("data/" + ns::md5Hex("key"), outside() + "/f1");
    EXPECT_TRUE(cache->objectForKey(std::string("key")).isNil());
    EXPECT_FALSE(cache->containsObjectForKey(std::string("key")));
    expectOutsideUntouched();
}

} // namespace
