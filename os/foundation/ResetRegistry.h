#pragma once
// Reset hooks of in-memory singletons, so that a test can drop them and reload from disk
// ("restart" of the process without restarting it).

#include <functional>
#include <string>

namespace ns {

class ResetRegistry {
public:
    // Registers (or replaces) the reset function of a singleton by name.
    static void add(const std::string& name, std::function<void()> reset);
    static void remove(const std::string& name);
    // Runs every reset function, in registration order.
    static void resetAll();
};

} // namespace ns
