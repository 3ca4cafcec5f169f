#pragma once
// Groups layer changes. Changes are never animated here, but the disable-actions flag is kept
// per transaction, so code that turns implicit animations off reads back what it set.
// Transactions nest per thread; outside any begin() the thread's implicit transaction is used,
// which the main run loop's layer pass commits.

namespace ca {

class Transaction {
public:
    static void begin();
    // Ends the innermost explicit transaction; without one, does nothing.
    static void commit();
    static bool disableActions();
    static void setDisableActions(bool disable);

    // Commits the calling thread's implicit transaction now (its flag goes back to off).
    static void flush();
};

} // namespace ca
