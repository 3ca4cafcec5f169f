#include "os/quartz/Transaction.h"

#include <vector>

namespace ca {

namespace {

struct Level {
    bool disableActions = false;
};

// Index 0 is the implicit transaction.
std::vector<Level>& stack() {
    thread_local std::vector<Level> levels(1);
    return levels;
}

} // namespace

void Transaction::begin() {
    // A nested transaction starts with the actions setting of the one around it.
    stack().push_back(stack().back());
}

void Transaction::commit() {
    if (stack().size() > 1) stack().pop_back();
}

bool Transaction::disableActions() { return stack().back().disableActions; }

void Transaction::setDisableActions(bool disable) { stack().back().disableActions = disable; }

void Transaction::flush() { stack().front() = Level{}; }

} // namespace ca
