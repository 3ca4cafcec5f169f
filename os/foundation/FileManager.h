#pragma once
// NSFileManager: files and folders of the local file system. Folders it creates are owner-only (0700).
// Failures answer false / nullopt and, when asked, an ns::Error (domain "NSPOSIXErrorDomain", errno).

#include "os/foundation/Error.h"
#include "os/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ns {

inline constexpr const char* POSIXErrorDomain = "NSPOSIXErrorDomain";

struct FileAttributes {
    enum class Type { Regular, Directory, SymbolicLink, Other };
    Type type = Type::Other;
    uint64_t size = 0;
    Date modificationDate;
    unsigned permissions = 0; // the mode's permission bits, e.g. 0600
};

class FileManager {
public:
    static FileManager& defaultManager();

    bool fileExists(const std::string& path) const;
    bool fileExists(const std::string& path, bool& isDirectory) const;

    // Names in the folder (hidden ones included), sorted; nullopt when it is not a readable folder.
    std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path, Ref<Error>* error = nullptr) const;
    // Every path below the folder, relative to it, sorted by byte order. Entries whose name starts with "."
    // are left out together with everything below them; symbolic links are listed, not followed.
    std::optional<std::vector<std::string>> subpaths(const std::string& path) const;

    bool createDirectory(const std::string& path, bool withIntermediates, Ref<Error>* error = nullptr) const;
    // Removes a file, or a folder with everything in it.
    bool removeItem(const std::string& path, Ref<Error>* error = nullptr) const;
    // Both fail when the destination exists.
    bool moveItem(const std::string& from, const std::string& to, Ref<Error>* error = nullptr) const;
    bool copyItem(const std::string& from, const std::string& to, Ref<Error>* error = nullptr) const;

    // Of the item itself (a symbolic link is not followed).
    std::optional<FileAttributes> attributes(const std::string& path, Ref<Error>* error = nullptr) const;
    // Size of the file a path leads to (links followed); nullopt when there is none.
    std::optional<uint64_t> fileSize(const std::string& path) const;
    // Bytes available to this user on the file system holding the path.
    std::optional<uint64_t> freeSpace(const std::string& path) const;
};

} // namespace ns
