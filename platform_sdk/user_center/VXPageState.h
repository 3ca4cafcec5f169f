#pragma once
// The page counters of a paged list and the rules for reading its page replies, shared by every
// list of the user centre (the list-screen base and the server list's own copy of it).
//
// Beyond the counters it keeps a load generation: every first-page load starts a new one and
// every reply is checked against the generation it was sent in, so a reply that a reload has
// overtaken changes nothing. A next page that fails, or whose reply is refused or carries no
// list, puts `page` back, so the next pull asks for the same page again.

#include "os/foundation/Value.h"

#include <cstdint>
#include <optional>

class VXPageState {
public:
    // One request out: what was sent, and in which generation.
    struct Load {
        uint64_t generation = 0;
        bool nextPage = false;
        int sentPage = 1;     // the "pagecode" sent
        int previousPage = 0; // `page` before a next-page request advanced it
    };

    int page = 0;      // the last page loaded, as the server reported it
    int totalPage = 0; // pages the server reported

    // A first-page load: a new generation, page 1. A next page still out is overtaken and its
    // advance put back, so a reload that then fails leaves no page skipped.
    Load beginFirstPage();
    // A next-page load: `page` advances by one first and that number is sent.
    Load beginNextPage();
    // Whether the reply to the load may still change the list (no reload started since).
    bool isCurrent(const Load& load) const { return load.generation == generation_; }
    uint64_t generation() const { return generation_; }

    // Whether the reply carries a status "a" that is not success (a reply without "a" is no refusal).
    static bool isRefusal(const ns::Value& reply);
    // The rows of a page reply, or none when the reply must count as a failed load: a refusal, and
    // for a next page also a list that is missing or not an array. A first page whose list is
    // missing or of the wrong type reads as empty. Rows that are not dictionaries are skipped.
    static std::optional<ns::Array> rows(const ns::Value& reply, const ns::Value& list, bool nextPage);

    // A first-page reply accepted: `page` and `totalPage` as the reply says (missing reads 0).
    void applyFirstPage(const Load& load, const ns::Value& nowPage, const ns::Value& totalPageValue);
    // A next-page reply accepted: `page` as the reply says, or the page sent when it says nothing usable.
    void applyNextPage(const Load& load, const ns::Value& nowPage);
    // A load that failed (transport, refusal, no list): a current next page puts `page` back.
    void failed(const Load& load);
    // A current first page came back, with rows or not: its finish step set the footer afresh.
    void firstPageEnded(const Load& load);
    // Whether an overtaken next page may still end the footer's refreshing: no newer first page
    // has come back since, so the refreshing is still its own and not a newer next page's.
    bool footerWaitsFor(const Load& load) const { return footerGeneration_ <= load.generation; }

private:
    uint64_t generation_ = 0;
    std::optional<Load> nextOut_; // the next page whose reply has not come back
    uint64_t footerGeneration_ = 0; // the newest first page that has come back
};
