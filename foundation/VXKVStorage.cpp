#include "foundation/VXKVStorage.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Clock.h"
#include "os/foundation/FileManager.h"
#include "os/foundation/Log.h"
#include "os/foundation/Strings.h"
#include "os/foundation/UUID.h"

#include <sqlite3.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace {

constexpr const char* kDbFileName = "manifest.sqlite";
constexpr const char* kDbShmFileName = "manifest.sqlite-shm";
constexpr const char* kDbWalFileName = "manifest.sqlite-wal";
constexpr const char* kDbJournalFileName = "manifest.sqlite-journal";
constexpr const char* kDataDirectoryName = "data";
constexpr const char* kTrashDirectoryName = "trash";
constexpr const char* kTempSuffix = ".tmp";
// Reads only note the access time. The notes are written in key order, one transaction per batch:
// a batch of random rows rewrites a table page and an index page per note, so reads would pay for
// writes many times their own cost.
constexpr size_t kNotesPerBatch = 4096;
// Past this many (a batch still being written), the notes are written on the reader's thread.
constexpr size_t kMaxPendingAccess = 65536;

int64_t nowSeconds() { return static_cast<int64_t>(ns::Clock::wallNow()); }

std::string join(const std::string& folder, std::string_view name) {
    return ns::str::stringByAppendingPathComponent(folder, name);
}

// One queue empties every storage's trash, one folder at a time.
const dispatch::Queue& trashQueue() {
    static const dispatch::Queue queue =
        dispatch::Queue::createSerial("com.vx.kvstorage.trash", dispatch::Queue::global(dispatch::Priority::Background));
    return queue;
}

void bindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void bindData(sqlite3_stmt* stmt, int index, const ns::DataRef& data) {
    if (data && data->length() > 0)
        sqlite3_bind_blob(stmt, index, data->bytes(), static_cast<int>(data->length()), SQLITE_STATIC);
    else
        sqlite3_bind_null(stmt, index);
}

std::optional<std::string> columnText(sqlite3_stmt* stmt, int column) {
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text) return std::nullopt;
    return std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

ns::DataRef columnData(sqlite3_stmt* stmt, int column) {
    const void* bytes = sqlite3_column_blob(stmt, column);
    int length = sqlite3_column_bytes(stmt, column);
    if (!bytes || length <= 0) return nullptr;
    return ns::Data::make(bytes, static_cast<size_t>(length));
}

// A file name from the manifest names one file directly inside the data folder: a tampered manifest
// must never make the storage read or delete anything outside it.
bool plainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// --- The folder, through descriptors ---
// Whoever can write into the storage folder may swap any entry for a symbolic link. Every name is
// therefore resolved against the descriptor of the folder holding it, and no call follows a link:
// a link found where a file or folder of ours belongs is removed, never its target.

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool isLink(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// The names in a folder, without "." and "..".
std::vector<std::string> folderEntries(int folder) {
    std::vector<std::string> names;
    int fd = ::openat(folder, ".", kFolderFlags);
    if (fd < 0) return names;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

// Removes the entry; a folder with everything in it. Links are removed themselves, never followed.
bool removeEntry(int folder, const std::string& name) {
    if (::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) return true;
    if (errno != EISDIR && errno != EPERM) return false;
    int fd = ::openat(folder, name.c_str(), kFolderFlags);
    if (fd < 0) return errno == ENOENT;
    for (const auto& entry : folderEntries(fd)) removeEntry(fd, entry);
    ::close(fd);
    return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// A folder of ours inside `parent`, created when missing. Anything else under its name (a link,
// a file) is removed first.
int openFolder(int parent, const char* name) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::mkdirat(parent, name, 0755) != 0 && errno != EEXIST) return -1;
        int fd = ::openat(parent, name, kFolderFlags);
        if (fd >= 0) return fd;
        if (errno != ELOOP && errno != ENOTDIR) return -1;
        if (isLink(parent, name)) ns::log("VXKVStorage: removed a link planted as the folder \"%s\".", name);
        if (!removeEntry(parent, name)) return -1;
    }
    return -1;
}

// The whole regular file, or null (missing, a link, anything but a plain file of one name, unreadable).
ns::DataRef readFileAt(int folder, const std::string& name) {
    // Non-blocking: a pipe planted under the name must not hold the reader.
    int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    // A second name elsewhere (a hard link) makes it someone else's file too: never handed out.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return nullptr;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done); // a file cut meanwhile shows as a size mismatch
    return ns::Data::make(std::move(bytes));
}

bool writeAll(int fd, const ns::Data& data) {
    const uint8_t* bytes = data.bytes();
    size_t done = 0;
    while (done < data.length()) {
        ssize_t n = ::write(fd, bytes + done, data.length() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A new file with the bytes; whatever had the name (a link included) is removed, never written through.
bool writeNewFileAt(int folder, const std::string& name, const ns::Data& data) {
    int fd = -1;
    for (int attempt = 0; attempt < 2 && fd < 0; ++attempt) {
        fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || !removeEntry(folder, name))) return false;
    }
    if (fd < 0) return false;
    if (!writeAll(fd, data)) {
        ::close(fd);
        ::unlinkat(folder, name.c_str(), 0);
        return false;
    }
    return ::close(fd) == 0;
}

// The file `name` with the bytes, never seen partly written under that name: written first as a
// file without a name, which then gets it (nothing can be planted there meanwhile, and a crash
// leaves nothing behind); where the file system has no such files or one cannot be named, written
// aside under `temp` and moved into place. Whatever had the name before is removed first: a crash
// in between loses only the value being replaced.
bool replaceFileAt(int folder, const std::string& name, const std::string& temp, const ns::Data& data) {
    if (int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600); fd >= 0) {
        bool written = writeAll(fd, data) && removeEntry(folder, name);
        bool named = false;
        if (written) {
            // Naming the descriptor itself needs a privilege; its entry under /proc does not.
            named = ::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0;
            if (!named) {
                const std::string self = "/proc/self/fd/" + std::to_string(fd);
                named = ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
            }
        }
        const bool closed = ::close(fd) == 0;
        if (named) return closed;
        if (!written) return false;
    }
    if (!writeNewFileAt(folder, temp, data) || !removeEntry(folder, name) ||
        ::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        ::unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    return true;
}

} // namespace

// Writes batches of access notes through its own connection, on its own serial queue; the
// reading connection is never blocked by it (WAL). A batch that fails is dropped: the notes are
// only an ordering hint for trimming.
struct VXKVStorage::NoteWriter {
    using Notes = std::vector<std::pair<std::string, int64_t>>;

    explicit NoteWriter(std::string path) : dbPath(std::move(path)) {}
    ~NoteWriter() { close(); }

    void write(const Notes& notes) {
        constexpr int kFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
        if (!db && sqlite3_open_v2(dbPath.c_str(), &db, kFlags, nullptr) != SQLITE_OK) {
            close();
            return;
        }
        sqlite3_busy_timeout(db, 1000);
        if (!update && sqlite3_prepare_v2(db, "update manifest set last_access_time = ?1 where key = ?2;", -1, &update,
                                          nullptr) != SQLITE_OK)
            return;
        if (sqlite3_exec(db, "begin immediate;", nullptr, nullptr, nullptr) != SQLITE_OK) return;
        bool ok = true;
        for (const auto& [key, time] : notes) {
            sqlite3_reset(update);
            sqlite3_bind_int64(update, 1, time);
            sqlite3_bind_text(update, 2, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
            if (sqlite3_step(update) != SQLITE_DONE) {
                ok = false;
                break;
            }
        }
        sqlite3_reset(update);
        sqlite3_exec(db, ok ? "commit;" : "rollback;", nullptr, nullptr, nullptr);
    }

    void close() {
        sqlite3_finalize(update);
        update = nullptr;
        sqlite3_close(db);
        db = nullptr;
    }

    const std::string dbPath;
    sqlite3* db = nullptr;
    sqlite3_stmt* update = nullptr;
    std::atomic<bool> busy{false};
    const dispatch::Queue queue =
        dispatch::Queue::createSerial("com.vx.kvstorage.notes", dispatch::Queue::global(dispatch::Priority::Background));
};

#define VX_CHECK(rc, what) checkResult((rc), __func__, __LINE__, (what))

VXKVStorage::VXKVStorage(std::string path, VXKVStorageType type)
    : path_(std::move(path)), dbPath_(join(path_, kDbFileName)), dataPath_(join(path_, kDataDirectoryName)), type_(type) {}

ns::Ref<VXKVStorage> VXKVStorage::initWithPath(const std::string& path, VXKVStorageType type) {
    if (path.empty()) {
        ns::log("VXKVStorage init error: invalid path: [%@].", path);
        return nullptr;
    }
    ns::Ref<VXKVStorage> storage(new VXKVStorage(path, type));
    if (ns::FileManager::defaultManager().createDirectory(path, true))
        storage->rootFd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (storage->rootFd_ >= 0) {
        storage->dataFd_ = openFolder(storage->rootFd_, kDataDirectoryName);
        storage->trashFd_ = openFolder(storage->rootFd_, kTrashDirectoryName);
    }
    if (storage->dataFd_ < 0 || storage->trashFd_ < 0) {
        ns::log("VXKVStorage init error: cannot create folders under %@.", path);
        return nullptr;
    }
    // SQLite opens the manifest by name and refuses any link on the way to it: the folder's own
    // path is named without links (it may legitimately lie under one).
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        storage->dbPath_ = join(resolved, kDbFileName);
        std::free(resolved);
    }
    bool opened = storage->dbOpen();
    if (!opened || !storage->dbInitialize()) {
        // A damaged or unopenable manifest is moved aside with the files and the storage starts
        // empty; any other failure (a busy database) is left alone.
        bool damaged = !opened || storage->corrupt_;
        storage->dbClose();
        if (!damaged) {
            ns::log("VXKVStorage init error: fail to open sqlite db at %@.", storage->dbPath_);
            return nullptr;
        }
        storage->corrupt_ = false;
        storage->reset();
        if (!storage->dbOpen() || !storage->dbInitialize()) {
            storage->dbClose();
            ns::log("VXKVStorage init error: fail to open sqlite db at %@.", storage->dbPath_);
            return nullptr;
        }
        ns::log("VXKVStorage: the manifest at %@ could not be read; the storage was rebuilt empty.", storage->dbPath_);
    }
    storage->removeUntrackedFiles();
    storage->emptyTrashInBackground();
    return storage;
}

VXKVStorage::~VXKVStorage() {
    flushAccessTimes();
    dbClose();
    closeFd(dataFd_);
    closeFd(trashFd_);
    closeFd(rootFd_);
}

// --- Database ---

bool VXKVStorage::checkResult(int rc, const char* function, int line, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) corrupt_ = true;
    ns::log("%s line:%d sqlite %s failed (%d): %s.", function, line, what, rc, db_ ? sqlite3_errmsg(db_) : "no database");
    return false;
}

// A manifest (or its log) that is a link, or a file with another name elsewhere, is another
// program's: the storage never writes into it. The name is removed; a fresh manifest replaces it.
void VXKVStorage::removeForeignManifest() {
    bool foreignDb = false;
    for (const char* name : {kDbFileName, kDbWalFileName, kDbShmFileName, kDbJournalFileName}) {
        struct stat st {};
        if (::fstatat(rootFd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISLNK(st.st_mode) && !(S_ISREG(st.st_mode) && st.st_nlink > 1)) continue;
        ns::log("VXKVStorage: %s in %@ is a link to a file elsewhere; the link was removed.", name, path_);
        ::unlinkat(rootFd_, name, 0);
        foreignDb = foreignDb || name == kDbFileName;
    }
    // The logs of a database that was not ours belong to it.
    if (foreignDb)
        for (const char* name : {kDbWalFileName, kDbShmFileName, kDbJournalFileName}) removeEntry(rootFd_, name);
}

bool VXKVStorage::dbOpen() {
    if (db_) return true;
    removeForeignManifest();
    int rc = sqlite3_open_v2(dbPath_.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        ns::log("%s line:%d sqlite open failed (%d).", __func__, __LINE__, rc);
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    // Writes wait out a batch of access notes being written by the background connection.
    sqlite3_busy_timeout(db_, 2000);
    return true;
}

bool VXKVStorage::dbInitialize() {
    // Tables or indexes that are not ours: a database some other program made. Treated as damage
    // (moved aside with the files), never written into.
    int64_t foreign = -1;
    if (!execute("select count(*) from sqlite_master where name not in ('manifest', 'last_access_time_idx') "
                 "and name not like 'sqlite\\_%' escape '\\';",
                 &foreign))
        return false;
    if (foreign != 0) {
        ns::log("VXKVStorage: the manifest at %@ holds tables that are not ours.", dbPath_);
        corrupt_ = true;
        return false;
    }
    // Our names in another shape (other columns, a view, an index on another column) cannot be
    // used either: every statement would fail on every start.
    if (!manifestShapeIsOurs()) {
        ns::log("VXKVStorage: the manifest at %@ has another shape than ours.", dbPath_);
        corrupt_ = true;
        return false;
    }
    return execute("pragma journal_mode = wal; pragma synchronous = normal; "
                   "create table if not exists manifest (key text primary key not null, filename text, size integer, "
                   "inline_data blob, modification_time integer, last_access_time integer, extended_data blob); "
                   "create index if not exists last_access_time_idx on manifest(last_access_time);");
}

// True for a new database too: what is missing is created afterwards.
bool VXKVStorage::manifestShapeIsOurs() {
    struct Column {
        const char* name;
        const char* type;
        int notNull, primaryKey;
    };
    static constexpr Column kColumns[] = {
        {"key", "text", 1, 1},          {"filename", "text", 0, 0},          {"size", "integer", 0, 0},
        {"inline_data", "blob", 0, 0},  {"modification_time", "integer", 0, 0}, {"last_access_time", "integer", 0, 0},
        {"extended_data", "blob", 0, 0},
    };
    // What each of our names is, when it exists.
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "select name, type, tbl_name from sqlite_master where name in ('manifest', 'last_access_time_idx');",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    bool ok = true, hasTable = false, hasIndex = false;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const std::string name = columnText(stmt, 0).value_or(""), type = columnText(stmt, 1).value_or("");
        if (name == "manifest") {
            hasTable = true;
            ok = ok && type == "table";
        } else {
            hasIndex = true;
            ok = ok && type == "index" && columnText(stmt, 2).value_or("") == "manifest";
        }
    }
    sqlite3_finalize(stmt);
    if (!ok) return false;

    auto sameText = [](const std::optional<std::string>& text, const char* expected) {
        return text && ns::str::lowercase(*text) == expected;
    };
    if (hasTable) {
        if (sqlite3_prepare_v2(db_, "select name, type, \"notnull\", pk from pragma_table_info('manifest');", -1, &stmt,
                               nullptr) != SQLITE_OK)
            return false;
        size_t count = 0;
        while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
            const Column* want = count < std::size(kColumns) ? &kColumns[count] : nullptr;
            ok = want && columnText(stmt, 0) == want->name && sameText(columnText(stmt, 1), want->type) &&
                 sqlite3_column_int(stmt, 2) == want->notNull && sqlite3_column_int(stmt, 3) == want->primaryKey;
            ++count;
        }
        sqlite3_finalize(stmt);
        if (!ok || count != std::size(kColumns)) return false;
    }
    if (hasIndex) {
        if (sqlite3_prepare_v2(db_, "select name from pragma_index_info('last_access_time_idx');", -1, &stmt, nullptr) !=
            SQLITE_OK)
            return false;
        size_t count = 0;
        while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
            ok = columnText(stmt, 0) == std::optional<std::string>("last_access_time");
            ++count;
        }
        sqlite3_finalize(stmt);
        if (!ok || count != 1) return false;
    }
    return true;
}

void VXKVStorage::dbClose() {
    stopNoteWriter();
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    statements_.clear();
    if (!db_) return;
    int rc = sqlite3_close(db_);
    if (rc != SQLITE_OK) ns::log("%s line:%d sqlite close failed (%d).", __func__, __LINE__, rc);
    db_ = nullptr;
}

// Before each operation: a manifest found damaged by the previous one is rebuilt empty.
bool VXKVStorage::dbCheck() {
    if (corrupt_) {
        corrupt_ = false;
        pendingAccess_.clear();
        dbClose();
        reset();
        if (!dbOpen() || !dbInitialize()) {
            dbClose();
            ns::log("VXKVStorage: the damaged manifest at %@ could not be rebuilt.", dbPath_);
            return false;
        }
        ns::log("VXKVStorage: the manifest at %@ was damaged; the storage was rebuilt empty.", dbPath_);
        emptyTrashInBackground();
    }
    return db_ != nullptr;
}

bool VXKVStorage::execute(const char* sql, int64_t* number) {
    if (!db_) return false;
    char* error = nullptr;
    auto firstColumn = [](void* out, int columns, char** values, char**) {
        if (columns > 0 && values[0]) *static_cast<int64_t*>(out) = std::strtoll(values[0], nullptr, 10);
        return 0;
    };
    int rc = sqlite3_exec(db_, sql, number ? +firstColumn : nullptr, number, &error);
    if (rc != SQLITE_OK) {
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB) corrupt_ = true;
        ns::log("%s line:%d sqlite exec failed (%d): %s.", __func__, __LINE__, rc, error ? error : "");
        sqlite3_free(error);
        return false;
    }
    return true;
}

sqlite3_stmt* VXKVStorage::statement(const char* sql) {
    if (!db_) return nullptr;
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr);
    // Our own statements only fail to compile against a manifest someone reshaped meanwhile.
    if (rc == SQLITE_ERROR) corrupt_ = true;
    if (!VX_CHECK(rc, "stmt prepare")) return nullptr;
    statements_.emplace(sql, stmt);
    return stmt;
}

std::optional<std::string> VXKVStorage::dbFilename(std::string_view key) {
    auto stmt = statement("select filename from manifest where key = ?1;");
    if (!stmt) return std::nullopt;
    bindText(stmt, 1, key);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
        VX_CHECK(rc, "query");
        return std::nullopt;
    }
    auto name = columnText(stmt, 0);
    sqlite3_reset(stmt); // ends the read: an open one would hold back WAL checkpoints
    if (name && name->empty()) return std::nullopt;
    return name;
}

bool VXKVStorage::dbDelete(std::string_view key) {
    auto stmt = statement("delete from manifest where key = ?1;");
    if (!stmt) return false;
    bindText(stmt, 1, key);
    return VX_CHECK(sqlite3_step(stmt), "delete");
}

// Waits for a batch being written, then writes the rest on this connection.
void VXKVStorage::flushAccessTimes() {
    if (noteWriter_) dispatch::sync(noteWriter_->queue, [] {});
    if (pendingAccess_.empty() || !db_) return;
    // In key order: the key index is walked once, front to back, instead of at random.
    std::vector<std::pair<std::string_view, int64_t>> notes(pendingAccess_.begin(), pendingAccess_.end());
    std::sort(notes.begin(), notes.end());
    execute("begin;");
    if (auto stmt = statement("update manifest set last_access_time = ?1 where key = ?2;")) {
        for (const auto& [key, time] : notes) {
            sqlite3_reset(stmt);
            sqlite3_bind_int64(stmt, 1, time);
            bindText(stmt, 2, key);
            if (!VX_CHECK(sqlite3_step(stmt), "update")) break;
        }
    }
    execute("commit;");
    pendingAccess_.clear();
}

void VXKVStorage::writeAccessTimesInBackground() {
    if (!noteWriter_) noteWriter_ = std::make_shared<NoteWriter>(dbPath_);
    if (noteWriter_->busy.exchange(true)) return; // the notes wait for the batch in flight
    NoteWriter::Notes notes(std::make_move_iterator(pendingAccess_.begin()), std::make_move_iterator(pendingAccess_.end()));
    pendingAccess_.clear();
    std::sort(notes.begin(), notes.end());
    dispatch::async(noteWriter_->queue, [writer = noteWriter_, notes = std::move(notes)] {
        writer->write(notes);
        writer->busy = false;
    });
}

// Before the manifest is closed or moved: no batch in flight, the writer's connection closed.
void VXKVStorage::stopNoteWriter() {
    if (!noteWriter_) return;
    dispatch::sync(noteWriter_->queue, [writer = noteWriter_] { writer->close(); });
}

// --- Files ---

// Renames the entry (a link as the link) into the trash; removes it here when that fails.
bool VXKVStorage::moveToTrash(const char* name) {
    const std::string trashName = ns::UUID::random().string();
    if (::renameat(rootFd_, name, trashFd_, trashName.c_str()) == 0 || errno == ENOENT) return true;
    return removeEntry(rootFd_, name);
}

void VXKVStorage::emptyTrashInBackground() {
    // Its own descriptor of the trash folder: the storage may be gone when the queue gets to it.
    int trash = ::openat(trashFd_, ".", kFolderFlags);
    if (trash < 0) return;
    dispatch::async(trashQueue(), [trash]() mutable {
        for (const auto& name : folderEntries(trash)) removeEntry(trash, name);
        closeFd(trash);
    });
}

// Moves the manifest and the data folder into the trash and starts with an empty data folder.
void VXKVStorage::reset() {
    // The trash is looked at again first: a link planted in its place since the open is removed.
    if (int trash = openFolder(rootFd_, kTrashDirectoryName); trash >= 0) {
        closeFd(trashFd_);
        trashFd_ = trash;
    }
    for (const char* name : {kDbFileName, kDbShmFileName, kDbWalFileName, kDbJournalFileName}) moveToTrash(name);
    moveToTrash(kDataDirectoryName);
    closeFd(dataFd_);
    dataFd_ = openFolder(rootFd_, kDataDirectoryName);
}

// Files no row names: writes that never finished (a crash between the file and its row, a file
// written aside), or files left by a manifest of another program. Nothing would ever remove them.
void VXKVStorage::removeUntrackedFiles() {
    auto names = folderEntries(dataFd_);
    if (names.empty()) return;
    auto stmt = statement("select filename from manifest where filename is not null;");
    if (!stmt) return;
    std::unordered_set<std::string> named;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (auto name = columnText(stmt, 0)) named.insert(std::move(*name));
    }
    sqlite3_reset(stmt);
    if (!VX_CHECK(rc, "query")) return; // with the manifest unreadable, every file would look untracked
    size_t removed = 0;
    for (const auto& name : names) {
        if (named.count(name) || !removeEntry(dataFd_, name)) continue;
        ++removed;
    }
    if (removed) ns::log("VXKVStorage: removed %ld files in %@ that no item names.", static_cast<int64_t>(removed), dataPath_);
}

// --- Items ---

bool VXKVStorage::saveItem(std::string_view key, const ns::DataRef& value, const std::optional<std::string>& filename,
                           const ns::DataRef& extendedData) {
    if (key.empty() || !value || value->length() == 0) return false;
    bool toFile = type_ != VXKVStorageType::SQLite && filename && !filename->empty();
    if (type_ == VXKVStorageType::File && !toFile) return false;
    if (toFile && !plainFileName(*filename)) return false;
    if (!dbCheck()) return false;

    std::optional<std::string> oldFilename;
    if (type_ != VXKVStorageType::SQLite) oldFilename = dbFilename(key);
    if (toFile) {
        // A file under its own name is always whole.
        if (!replaceFileAt(dataFd_, *filename, *filename + kTempSuffix, *value)) {
            ns::log("VXKVStorage: failed to write the file %@.", join(dataPath_, *filename));
            return false;
        }
    }

    auto stmt = statement("insert or replace into manifest (key, filename, size, inline_data, modification_time, "
                          "last_access_time, extended_data) values (?1, ?2, ?3, ?4, ?5, ?6, ?7);");
    bool saved = false;
    if (stmt) {
        int64_t now = nowSeconds();
        bindText(stmt, 1, key);
        if (toFile) bindText(stmt, 2, *filename);
        else sqlite3_bind_null(stmt, 2);
        sqlite3_bind_int64(stmt, 3, static_cast<int64_t>(value->length()));
        if (toFile) sqlite3_bind_null(stmt, 4);
        else bindData(stmt, 4, value);
        sqlite3_bind_int64(stmt, 5, now);
        sqlite3_bind_int64(stmt, 6, now);
        bindData(stmt, 7, extendedData);
        saved = VX_CHECK(sqlite3_step(stmt), "insert");
        sqlite3_reset(stmt); // releases the statically bound bytes
    }
    if (!saved) {
        if (toFile && oldFilename != filename) removeEntry(dataFd_, *filename);
        return false;
    }
    if (oldFilename && (!toFile || *oldFilename != *filename) && plainFileName(*oldFilename))
        removeEntry(dataFd_, *oldFilename);
    if (!pendingAccess_.empty()) pendingAccess_.erase(std::string(key));
    return true;
}

bool VXKVStorage::removeItem(std::string_view key) {
    if (key.empty() || !dbCheck()) return false;
    std::optional<std::string> filename;
    if (type_ != VXKVStorageType::SQLite) filename = dbFilename(key);
    if (!dbDelete(key)) return false;
    if (filename && plainFileName(*filename)) removeEntry(dataFd_, *filename);
    return true;
}

std::optional<VXKVStorageItem> VXKVStorage::getItem(std::string_view key) {
    if (key.empty() || !dbCheck()) return std::nullopt;
    auto stmt = statement("select filename, size, inline_data, modification_time, last_access_time, extended_data "
                          "from manifest where key = ?1;");
    if (!stmt) return std::nullopt;
    bindText(stmt, 1, key);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
        VX_CHECK(rc, "query");
        return std::nullopt;
    }
    VXKVStorageItem item;
    item.key = std::string(key);
    item.filename = columnText(stmt, 0);
    if (item.filename && item.filename->empty()) item.filename.reset();
    item.size = sqlite3_column_int64(stmt, 1);
    item.modTime = sqlite3_column_int64(stmt, 3);
    item.accessTime = sqlite3_column_int64(stmt, 4);
    item.extendedData = columnData(stmt, 5);
    if (item.filename) {
        if (plainFileName(*item.filename)) item.value = readFileAt(dataFd_, *item.filename);
    } else {
        item.value = columnData(stmt, 2);
    }
    sqlite3_reset(stmt);
    if (!item.value || static_cast<int64_t>(item.value->length()) != item.size) {
        // The file went missing or was changed behind our back (a link in its place among others):
        // the item is gone, and so is whatever has its name in the data folder.
        ns::log("VXKVStorage: the value of an item is missing or damaged; the item is removed.");
        dbDelete(key);
        if (item.filename && plainFileName(*item.filename)) removeEntry(dataFd_, *item.filename);
        return std::nullopt;
    }
    // Times are whole seconds: a second use within the same second changes nothing.
    int64_t storedAccess = item.accessTime;
    item.accessTime = nowSeconds();
    if (item.accessTime != storedAccess) {
        pendingAccess_[item.key] = item.accessTime;
        if (pendingAccess_.size() >= kMaxPendingAccess) flushAccessTimes();
        else if (pendingAccess_.size() >= kNotesPerBatch) writeAccessTimesInBackground();
    }
    return item;
}

bool VXKVStorage::itemExists(std::string_view key) {
    if (key.empty() || !dbCheck()) return false;
    return queryNumber("select count(key) from manifest where key = ?1;", key, 0, __func__) > 0;
}

int64_t VXKVStorage::itemsCount() {
    if (!dbCheck()) return -1;
    return queryNumber("select count(*) from manifest;", {}, -1, __func__);
}

int64_t VXKVStorage::itemsSize() {
    if (!dbCheck()) return -1;
    return queryNumber("select sum(size) from manifest;", {}, -1, __func__);
}

int64_t VXKVStorage::queryNumber(const char* sql, std::string_view key, int64_t failure, const char* function) {
    auto stmt = statement(sql);
    if (!stmt) return failure;
    if (!key.empty()) bindText(stmt, 1, key);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
        checkResult(rc, function, __LINE__, "query");
        return failure;
    }
    int64_t result = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    return result;
}

// --- Trimming ---

// Removes items in least-recently-used order, a batch at a time, until `done` holds.
bool VXKVStorage::removeOldest(const std::function<bool(int64_t size)>& removed, const std::function<bool()>& done) {
    if (done()) return true;
    flushAccessTimes();
    if (!execute("begin immediate;")) return false;
    bool ok = true;
    while (ok && !done()) {
        auto stmt = statement("select key, filename, size from manifest order by last_access_time asc limit 16;");
        if (!stmt) {
            ok = false;
            break;
        }
        struct Victim {
            std::string key;
            std::optional<std::string> filename;
            int64_t size;
        };
        std::vector<Victim> victims;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            victims.push_back({columnText(stmt, 0).value_or(""), columnText(stmt, 1), sqlite3_column_int64(stmt, 2)});
        if (!VX_CHECK(rc, "query") || victims.empty()) {
            ok = rc == SQLITE_DONE;
            break;
        }
        for (const auto& victim : victims) {
            if (!dbDelete(victim.key)) {
                ok = false;
                break;
            }
            if (victim.filename && plainFileName(*victim.filename)) removeEntry(dataFd_, *victim.filename);
            if (removed(victim.size)) break;
        }
    }
    if (!execute(ok ? "commit;" : "rollback;")) return false;
    return ok;
}

bool VXKVStorage::removeItemsToFitSize(int64_t maxSize) {
    if (maxSize == std::numeric_limits<int64_t>::max()) return true;
    if (maxSize <= 0) return removeAllItems();
    int64_t total = itemsSize();
    if (total < 0) return false;
    return removeOldest(
        [&](int64_t size) {
            total -= size;
            return total <= maxSize;
        },
        [&] { return total <= maxSize; });
}

bool VXKVStorage::removeItemsToFitCount(int64_t maxCount) {
    if (maxCount == std::numeric_limits<int64_t>::max()) return true;
    if (maxCount <= 0) return removeAllItems();
    int64_t total = itemsCount();
    if (total < 0) return false;
    return removeOldest(
        [&](int64_t) {
            total -= 1;
            return total <= maxCount;
        },
        [&] { return total <= maxCount; });
}

bool VXKVStorage::removeItemsEarlierThanTime(int64_t time) {
    if (time <= 0) return true;
    if (time == std::numeric_limits<int64_t>::max()) return removeAllItems();
    if (!dbCheck()) return false;
    flushAccessTimes();
    if (type_ != VXKVStorageType::SQLite) {
        auto stmt = statement("select filename from manifest where last_access_time < ?1 and filename is not null;");
        if (!stmt) return false;
        sqlite3_bind_int64(stmt, 1, time);
        std::vector<std::string> names;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (auto name = columnText(stmt, 0); name && plainFileName(*name)) names.push_back(*name);
        }
        if (!VX_CHECK(rc, "query")) return false;
        for (const auto& name : names) removeEntry(dataFd_, name);
    }
    auto stmt = statement("delete from manifest where last_access_time < ?1;");
    if (!stmt) return false;
    sqlite3_bind_int64(stmt, 1, time);
    return VX_CHECK(sqlite3_step(stmt), "delete");
}

bool VXKVStorage::removeAllItems() {
    pendingAccess_.clear();
    corrupt_ = false;
    dbClose();
    reset();
    emptyTrashInBackground();
    if (!dbOpen() || !dbInitialize()) {
        dbClose();
        ns::log("VXKVStorage: the manifest at %@ could not be created again.", dbPath_);
        return false;
    }
    return true;
}
