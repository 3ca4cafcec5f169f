#pragma once
// NSUserDefaults: the app's standard defaults, kept in memory and persisted as an XML property list at
// <sandbox>/Library/Preferences/<bundle identifier, else "vorlix">.plist (owner-only, replaced
// atomically). Loaded from that file on first use. Every change is written through at once, so a
// value survives the process even without synchronize(). Thread-safe.

#include "os/foundation/Object.h"
#include "os/foundation/Value.h"

#include <mutex>
#include <optional>
#include <string>

namespace ns {

class UserDefaults : public Object {
public:
    static Ref<UserDefaults> standard();
    // Drops the shared instance without touching the file; the next standard() reads the file again,
    // as a restarted process would. Also run by ResetRegistry::resetAll().
    static void resetStandardForTesting();

    // The defaults kept in the given file (the standard ones use the path above).
    explicit UserDefaults(std::string path);

    const std::string& path() const { return path_; }

    // Reads, with Foundation's coercions. A missing key reads nil, nullopt, 0 or NO.
    Value object(const std::string& key) const;
    std::optional<std::string> string(const std::string& key) const; // a number gives its text
    long long integer(const std::string& key) const;                 // "5" gives 5
    bool boolean(const std::string& key) const;                      // "YES", "true" (any case) or a non-zero number
    double doubleValue(const std::string& key) const;
    std::optional<Array> array(const std::string& key) const;
    std::optional<Dictionary> dictionary(const std::string& key) const;
    Dictionary dictionaryRepresentation() const;

    // Writes. Nil removes the key; a value without a property-list form (null, objects) is refused
    // with a log line and changes nothing.
    void set(const std::string& key, const Value& value);
    void setInteger(long long value, const std::string& key);
    void setBool(bool value, const std::string& key);
    void setDouble(double value, const std::string& key);
    void remove(const std::string& key);

    // Writes the file if an earlier write failed; true when the file holds the current values.
    bool synchronize();

private:
    void store(const std::string& key, const Value& value);
    bool writeLocked();

    std::string path_;
    mutable std::mutex mutex_;
    Dictionary values_;
    bool dirty_ = false;
};

} // namespace ns
