#include "os/foundation/UserDefaults.h"

#include "os/foundation/Bundle.h"
#include "os/foundation/Log.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/ResetRegistry.h"
#include "os/foundation/Sandbox.h"

#include <cctype>

namespace ns {

namespace {

std::mutex standardMutex;
Ref<UserDefaults> standardInstance;

std::string standardPath() {
    std::string name = Bundle::main() ? Bundle::main()->bundleIdentifier().value_or("") : "";
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) name = "vorlix";
    return preferencesPath() + "/" + name + ".plist";
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return i == a.size() && !b[i];
}

} // namespace

Ref<UserDefaults> UserDefaults::standard() {
    std::lock_guard lock(standardMutex);
    if (!standardInstance) {
        standardInstance = std::make_shared<UserDefaults>(standardPath());
        ResetRegistry::add("ns::UserDefaults", &UserDefaults::resetStandardForTesting);
    }
    return standardInstance;
}

void UserDefaults::resetStandardForTesting() {
    std::lock_guard lock(standardMutex);
    standardInstance.reset();
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
    // A missing or unreadable file starts empty; it is replaced on the first write.
    Value stored = PropertyList::readFile(path_);
    if (auto d = stored.dictionaryPtr()) values_ = *d;
}

Value UserDefaults::object(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return values_[key];
}

std::optional<std::string> UserDefaults::string(const std::string& key) const { return object(key).stringValue(); }

long long UserDefaults::integer(const std::string& key) const {
    Value v = object(key);
    return v.isNumber() || v.isString() ? v.integerValue() : 0;
}

bool UserDefaults::boolean(const std::string& key) const {
    Value v = object(key);
    if (auto s = v.stringPtr()) {
        if (equalsIgnoringCase(*s, "yes") || equalsIgnoringCase(*s, "true")) return true;
        return numtext::integerValue(*s) != 0;
    }
    return v.isNumber() && v.boolValue();
}

double UserDefaults::doubleValue(const std::string& key) const { return object(key).doubleValue(); }

std::optional<Array> UserDefaults::array(const std::string& key) const {
    Value v = object(key);
    if (auto a = v.arrayPtr()) return *a;
    return std::nullopt;
}

std::optional<Dictionary> UserDefaults::dictionary(const std::string& key) const {
    Value v = object(key);
    if (auto d = v.dictionaryPtr()) return *d;
    return std::nullopt;
}

Dictionary UserDefaults::dictionaryRepresentation() const {
    std::lock_guard lock(mutex_);
    return values_;
}

void UserDefaults::set(const std::string& key, const Value& value) {
    if (!value.isNil() && !PropertyList::isValid(value)) {
        log("Attempt to insert non-property list object %@ for key %@", value, key);
        return;
    }
    store(key, value);
}

void UserDefaults::setInteger(long long value, const std::string& key) { store(key, Value(value)); }
void UserDefaults::setBool(bool value, const std::string& key) { store(key, Value(value)); }
void UserDefaults::setDouble(double value, const std::string& key) { store(key, Value(value)); }
void UserDefaults::remove(const std::string& key) { store(key, Value()); }

bool UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    return !dirty_ || writeLocked();
}

void UserDefaults::store(const std::string& key, const Value& value) {
    std::lock_guard lock(mutex_);
    values_.set(key, value);
    writeLocked();
}

bool UserDefaults::writeLocked() {
    auto data = PropertyList::write(Value(values_), PropertyList::Format::XML);
    dirty_ = !(data && data->writeToFile(path_, true));
    return !dirty_;
}

} // namespace ns
