#include "os/foundation/FileManager.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

namespace ns {

namespace fs = std::filesystem;

namespace {

bool fail(Ref<Error>* error, int code, const std::string& path) {
    if (error) {
        Dictionary info;
        info.set(LocalizedDescriptionKey, std::string(std::strerror(code)));
        info.set("NSFilePath", path);
        *error = Error::make(POSIXErrorDomain, code, std::move(info));
    }
    return false;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

bool FileManager::fileExists(const std::string& path) const {
    bool isDirectory = false;
    return fileExists(path, isDirectory);
}

bool FileManager::fileExists(const std::string& path, bool& isDirectory) const {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    isDirectory = S_ISDIR(st.st_mode);
    return true;
}

std::optional<std::vector<std::string>> FileManager::contentsOfDirectory(const std::string& path, Ref<Error>* error) const {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        fail(error, errno, path);
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::vector<std::string>> FileManager::subpaths(const std::string& path) const {
    bool isDirectory = false;
    if (!fileExists(path, isDirectory) || !isDirectory) return std::nullopt;
    std::vector<std::string> found;
    std::function<void(const std::string&, const std::string&)> walk = [&](const std::string& folder, const std::string& prefix) {
        auto names = contentsOfDirectory(folder);
        if (!names) return;
        for (const auto& name : *names) {
            if (name.starts_with(".")) continue;
            std::string relative = prefix.empty() ? name : prefix + "/" + name;
            found.push_back(relative);
            std::string full = folder + "/" + name;
            struct stat st {};
            if (::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) walk(full, relative);
        }
    };
    walk(path, "");
    std::sort(found.begin(), found.end());
    return found;
}

bool FileManager::createDirectory(const std::string& path, bool withIntermediates, Ref<Error>* error) const {
    if (path.empty()) return fail(error, ENOENT, path);
    if (!withIntermediates) return ::mkdir(path.c_str(), 0700) == 0 || fail(error, errno, path);
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string prefix = path.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) == 0) continue;
        int code = errno;
        struct stat st {};
        if (code != EEXIST || ::stat(prefix.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return fail(error, code == EEXIST ? ENOTDIR : code, prefix);
    }
    return true;
}

bool FileManager::removeItem(const std::string& path, Ref<Error>* error) const {
    if (!exists(path)) return fail(error, ENOENT, path);
    std::error_code ec;
    fs::remove_all(path, ec);
    return !ec || fail(error, ec.value(), path);
}

bool FileManager::moveItem(const std::string& from, const std::string& to, Ref<Error>* error) const {
    if (!exists(from)) return fail(error, ENOENT, from);
    if (exists(to)) return fail(error, EEXIST, to);
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (errno != EXDEV) return fail(error, errno, from);
    // Across file systems: copy, then remove the original.
    return copyItem(from, to, error) && removeItem(from, error);
}

bool FileManager::copyItem(const std::string& from, const std::string& to, Ref<Error>* error) const {
    if (!exists(from)) return fail(error, ENOENT, from);
    if (exists(to)) return fail(error, EEXIST, to);
    std::error_code ec;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    return !ec || fail(error, ec.value(), from);
}

std::optional<FileAttributes> FileManager::attributes(const std::string& path, Ref<Error>* error) const {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        fail(error, errno, path);
        return std::nullopt;
    }
    FileAttributes a;
    if (S_ISREG(st.st_mode)) a.type = FileAttributes::Type::Regular;
    else if (S_ISDIR(st.st_mode)) a.type = FileAttributes::Type::Directory;
    else if (S_ISLNK(st.st_mode)) a.type = FileAttributes::Type::SymbolicLink;
    a.size = static_cast<uint64_t>(st.st_size);
    a.modificationDate.secondsSince1970 = static_cast<double>(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 1e9;
    a.permissions = st.st_mode & 07777;
    return a;
}

std::optional<uint64_t> FileManager::fileSize(const std::string& path) const {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<uint64_t> FileManager::freeSpace(const std::string& path) const {
    struct statvfs vfs {};
    if (::statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
    return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

} // namespace ns
