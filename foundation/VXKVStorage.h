#pragma once
// Key-value storage in one folder: an SQLite manifest ("manifest.sqlite", WAL, synchronous normal)
// holding small values inline and the metadata of larger values kept as files under "data".
// Whole-folder deletions go through "trash", which is emptied in the background.
// Not thread-safe: its owner serialises the calls.

#include "os/foundation/Data.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

enum class VXKVStorageType {
    File = 0,   // every value in a file (a file name is required)
    SQLite = 1, // every value inline (file names are ignored)
    Mixed = 2,  // a value with a file name in a file, otherwise inline
};

struct VXKVStorageItem {
    std::string key;
    ns::DataRef value;
    std::optional<std::string> filename;
    int64_t size = 0;       // bytes of the value
    int64_t modTime = 0;    // seconds since 1970
    int64_t accessTime = 0; // seconds since 1970
    ns::DataRef extendedData;
};

class VXKVStorage : public ns::Object {
public:
    // Opens the storage in the folder (created when missing); a corrupt manifest is rebuilt.
    // Null when the folder or the manifest cannot be opened.
    static ns::Ref<VXKVStorage> initWithPath(const std::string& path, VXKVStorageType type);
    ~VXKVStorage() override;

    const std::string& path() const { return path_; }
    VXKVStorageType type() const { return type_; }

    // Saves or replaces the item. Fails for an empty key or value, or without a file name in File mode.
    bool saveItem(std::string_view key, const ns::DataRef& value, const std::optional<std::string>& filename = std::nullopt,
                  const ns::DataRef& extendedData = nullptr);
    bool removeItem(std::string_view key);
    // Least recently used first, until the total size / count is within the limit.
    bool removeItemsToFitSize(int64_t maxSize);
    bool removeItemsToFitCount(int64_t maxCount);
    // Items last used before `time` (seconds since 1970).
    bool removeItemsEarlierThanTime(int64_t time);
    bool removeAllItems();

    // The item with its value; marks it used now. Nullopt for a miss or when its file is gone or damaged.
    std::optional<VXKVStorageItem> getItem(std::string_view key);
    bool itemExists(std::string_view key);
    // -1 on error.
    int64_t itemsCount();
    int64_t itemsSize();

private:
    VXKVStorage(std::string path, VXKVStorageType type);

    void removeForeignManifest();
    bool dbOpen();
    bool dbInitialize();
    bool manifestShapeIsOurs();
    void dbClose();
    bool dbCheck();
    void reset();
    sqlite3_stmt* statement(const char* sql);
    // With `number`, the first column of the last row answered is stored there.
    bool execute(const char* sql, int64_t* number = nullptr);
    bool checkResult(int rc, const char* function, int line, const char* what);
    // The one number a query answers (the key bound when not empty), or `failure`.
    int64_t queryNumber(const char* sql, std::string_view key, int64_t failure, const char* function);
    // Access notes: reads never write. A full batch is written by a second connection on a
    // background queue; trimming and closing write whatever is left first.
    void flushAccessTimes();
    void writeAccessTimesInBackground();
    void stopNoteWriter();
    std::optional<std::string> dbFilename(std::string_view key);
    bool dbDelete(std::string_view key);
    bool removeOldest(const std::function<bool(int64_t size)>& removed, const std::function<bool()>& done);
    void removeUntrackedFiles();
    bool moveToTrash(const char* name);
    void emptyTrashInBackground();

    std::string path_, dbPath_, dataPath_;
    // The folder, its data folder and its trash, opened once: every file is reached through them
    // without following links.
    int rootFd_ = -1, dataFd_ = -1, trashFd_ = -1;
    VXKVStorageType type_;
    sqlite3* db_ = nullptr;
    bool corrupt_ = false;
    std::unordered_map<const char*, sqlite3_stmt*> statements_; // by the address of the SQL literal
    std::unordered_map<std::string, int64_t> pendingAccess_;
    struct NoteWriter;
    std::shared_ptr<NoteWriter> noteWriter_;
};
