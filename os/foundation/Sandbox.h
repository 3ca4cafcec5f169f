#pragma once
// The app's sandbox: one root per process holding Library/Caches, Library/Preferences, Documents and tmp.
// Tests point the root at a fresh temporary folder. Folders are created on demand, owner-only (0700).

#include <string>

namespace ns {

// The root (the app's home folder). Default: $XDG_DATA_HOME, else ~/.local/share, plus "/vorlix-client".
std::string sandboxRoot();
// Replaces the root for the rest of the process (or until set again). An empty path restores the default.
void setSandboxRoot(const std::string& path);

std::string libraryPath();     // <root>/Library
std::string cachesPath();      // <root>/Library/Caches
std::string preferencesPath(); // <root>/Library/Preferences
std::string documentsPath();   // <root>/Documents
std::string temporaryPath();   // <root>/tmp

} // namespace ns
