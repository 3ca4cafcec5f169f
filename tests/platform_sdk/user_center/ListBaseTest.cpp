// The list-screen base on a small list paging against the stand-in: footer states, the deferred
// finish step, and the paging fixes (a failed or refused next page is asked again, overtaken replies).

#include "platform_sdk/user_center/VXRefreshViewController.h"
#include "tests/platform_sdk/user_center/UserCentreFixture.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshAutoStateFooter.h"
#include "widgets/VXRefreshStateHeader.h"

namespace {

namespace driver = ui::driver;
using vx::test::UserCentreTest;

const char* const Path = "Sdkdetail/gonglue";

// A list of plain rows loading one path.
class PagedList : public VXRefreshViewController {
public:
    void viewDidLoad() override {
        VXRefreshViewController::viewDidLoad();
        tableView()->registerClass<ui::TableViewCell>("row");
        tableViewDidTriggerHeaderRefresh();
    }
    void viewWillLayoutSubviews() override { tableView()->setFrame(view()->bounds()); }
    void tableViewDidTriggerHeaderRefresh() override { loadFirstPage(request()); }
    void tableViewDidTriggerFooterRefresh() override { loadNextPage(request()); }
    long numberOfRows(const ui::TableViewRef&, long) override { return static_cast<long>(dataSource().size()); }
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override {
        auto cell = table->dequeueReusableCell("row", indexPath);
        cell->textLabel()->setText(dataSource()[indexPath.row]["title"].stringValue());
        return cell;
    }
    PageRequest request() {
        PageRequest r;
        r.path = Path;
        r.parameters.set("username", "player01");
        r.refused = [this](const ns::Value& reply) { refusals.push_back(reply["b"].description()); };
        return r;
    }
    void tableViewDidFinishTriggerHeader(bool isHeader, bool reload) override {
        ++ended;
        VXRefreshViewController::tableViewDidFinishTriggerHeader(isHeader, reload);
    }
    void endOvertakenLoad(const VXPageState::Load& load) override {
        ++ended;
        VXRefreshViewController::endOvertakenLoad(load);
    }
    std::vector<std::string> refusals;
    size_t ended = 0; // loads that have come back
};

ns::Value pageReply(int first, int count, ns::Value nowPage, ns::Value totalPage) {
    ns::Array rows;
    for (int i = 0; i < count; ++i) rows.push_back(ns::Dictionary{{"title", "row " + std::to_string(first + i)}});
    ns::Dictionary reply{{"lists", rows}};
    if (!nowPage.isNil()) reply.set("now_page", nowPage);
    if (!totalPage.isNil()) reply.set("total_page", totalPage);
    return reply;
}

class ListBaseTest : public UserCentreTest {
protected:
    ns::Ref<PagedList> open(ns::Value firstReply) {
        server.scriptNext(Path, reply(std::move(firstReply)));
        list = ui::ViewController::create<PagedList>();
        present(list);
        settleRequests(1);
        return list;
    }
    // Waits until n loads have come back, then lets the finish step run.
    void settleRequests(size_t n) {
        ASSERT_TRUE(runMainUntil([&] { return list->ended >= n; }));
        drainMain();
    }
    ns::Ref<VXRefreshAutoStateFooter> footer() {
        return std::dynamic_pointer_cast<VXRefreshAutoStateFooter>(VXRefresh::VX_footer(list->tableView()));
    }
    std::vector<std::string> pagecodes() {
        std::vector<std::string> codes;
        for (const auto& r : server.requests(Path)) codes.push_back(r.params["pagecode"].description());
        return codes;
    }
    std::vector<std::string> titles() {
        std::vector<std::string> out;
        for (const auto& row : list->dataSource()) out.push_back(row["title"].description());
        return out;
    }
    // Back to the top, then a scroll down to the end, as a person asks for more again.
    void pullFooter() {
        list->tableView()->setContentOffset({0, 0}, false);
        driver::scrollToEnd(list->tableView());
        drainMain();
    }

    ns::Ref<PagedList> list;
};

TEST_F(ListBaseTest, OnePageWithoutATotalShowsAllLoaded) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 3, 1, {})));
    ASSERT_TRUE(footer());
    EXPECT_EQ(list->totalPage(), 0);
    EXPECT_EQ(footer()->state(), VXRefreshStateNoMoreData);
    EXPECT_EQ(footer()->stateLabel()->text(), "已全部加载完毕");
    EXPECT_EQ(footer()->accessibilityIdentifier(), "refresh_footer");
    EXPECT_EQ(driver::rowCount(list->tableView(), 0), 3);
    EXPECT_EQ(pagecodes(), std::vector<std::string>{"1"});
}

TEST_F(ListBaseTest, FooterLoadsEachPageThenSaysAllLoaded) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 3)));
    EXPECT_EQ(footer()->state(), VXRefreshStateIdle);
    server.scriptNext(Path, reply(pageReply(21, 20, 2, 3)));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(list->page(), 2);
    EXPECT_EQ(footer()->state(), VXRefreshStateIdle);
    server.scriptNext(Path, reply(pageReply(41, 5, 3, 3)));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(footer()->state(), VXRefreshStateNoMoreData);
    EXPECT_EQ(pagecodes(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(driver::rowCount(list->tableView(), 0), 45);

    // A later first page with more pages brings the footer back.
    server.scriptNext(Path, reply(pageReply(1, 20, 1, 2)));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(4));
    EXPECT_EQ(footer()->state(), VXRefreshStateIdle);
    EXPECT_EQ(driver::rowCount(list->tableView(), 0), 20);
}

TEST_F(ListBaseTest, FinishingWaitsForTheNextMainQueueTurn) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 2, 1, 1)));
    list->dataSource().push_back(ns::Dictionary{{"title", "late"}});
    list->tableViewDidFinishTriggerHeader(false, true);
    EXPECT_EQ(list->tableView()->numberOfRows(0), 2);
    drainMain();
    EXPECT_EQ(list->tableView()->numberOfRows(0), 3);
}

TEST_F(ListBaseTest, FailedNextPageIsAskedAgainAndShownOnce) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 2)));
    server.scriptNext(Path, dropped());
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(list->page(), 1);
    EXPECT_EQ(footer()->state(), VXRefreshStateIdle); // not "all loaded" for a page never shown
    EXPECT_EQ(list->dataSource().size(), 20u);

    server.scriptNext(Path, reply(pageReply(21, 3, 2, 2)));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(pagecodes(), (std::vector<std::string>{"1", "2", "2"}));
    EXPECT_EQ(list->dataSource().size(), 23u);
    EXPECT_EQ(footer()->state(), VXRefreshStateNoMoreData);
}

TEST_F(ListBaseTest, RefusedOrListlessNextPageKeepsThePage) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 3)));
    server.scriptNext(Path, reply(ns::Dictionary{{"a", 0}, {"b", "x"}}));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(list->page(), 1);
    EXPECT_EQ(list->dataSource().size(), 20u);
    EXPECT_EQ(list->refusals, std::vector<std::string>{"x"});

    server.scriptNext(Path, jsonText(R"({"lists":{"0":{"title":"bad"}},"now_page":2})"));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(list->page(), 1);
    EXPECT_EQ(list->dataSource().size(), 20u);

    server.scriptNext(Path, reply(pageReply(21, 2, 2, 3)));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(4));
    EXPECT_EQ(pagecodes(), (std::vector<std::string>{"1", "2", "2", "2"}));
    EXPECT_EQ(titles().back(), "row 22");
}

TEST_F(ListBaseTest, FirstPageRefusalKeepsTheRowsAndWrongTypesAreSkipped) {
    server.scriptNext(Path, jsonText(R"({"lists":[{"title":"one"},7,"x",null,[1],{"title":"two"}],"now_page":"1","total_page":"1"})"));
    list = ui::ViewController::create<PagedList>();
    present(list);
    ASSERT_NO_FATAL_FAILURE(settleRequests(1));
    EXPECT_EQ(titles(), (std::vector<std::string>{"one", "two"}));

    // "a" other than 1 is a refusal: rows stay, the counters too.
    server.scriptNext(Path, reply(ns::Dictionary{{"a", "2"}, {"b", "稍后再试"}, {"lists", ns::Array{}}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(titles(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(list->refusals, std::vector<std::string>{"稍后再试"});
    // A 64-bit status that only truncates to 1 is no success either.
    server.scriptNext(Path, reply(ns::Dictionary{{"a", 4294967297LL}, {"lists", ns::Array{}}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(titles().size(), 2u);
    // A reply with neither status nor list empties it, as it always did.
    server.scriptNext(Path, reply(ns::Dictionary{{"msg", "none"}}));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(4));
    EXPECT_TRUE(list->dataSource().empty());
    EXPECT_EQ(footer()->state(), VXRefreshStateNoMoreData);
}

TEST_F(ListBaseTest, NextPageOvertakenByAReloadAddsNothing) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 3)));
    server.scriptNext(Path, reply(pageReply(100, 20, 2, 3)));
    server.holdNext(Path);
    pullFooter();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));

    server.scriptNext(Path, reply(pageReply(50, 4, 1, 2)));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(titles().front(), "row 50");

    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(list->dataSource().size(), 4u);
    EXPECT_EQ(list->page(), 1);
    EXPECT_EQ(list->totalPage(), 2);
    EXPECT_FALSE(list->isFooterRefreshing());
}

TEST_F(ListBaseTest, NextPageOvertakenByAFailedReloadIsAskedAgain) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 3)));
    server.holdNext(Path);
    pullFooter();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));

    // The reload fails at the transport and the old page 2 then comes back: neither shows a row,
    // so page 2 is still the one to ask for.
    server.scriptNext(Path, dropped());
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(settleRequests(3));
    EXPECT_EQ(list->dataSource().size(), 20u);
    EXPECT_EQ(list->page(), 1);

    server.scriptNext(Path, reply(pageReply(21, 20, 2, 3)));
    pullFooter();
    ASSERT_NO_FATAL_FAILURE(settleRequests(4));
    EXPECT_EQ(pagecodes(), (std::vector<std::string>{"1", "2", "1", "2"}));
    EXPECT_EQ(titles()[20], "row 21");
}

TEST_F(ListBaseTest, OvertakenNextPageLeavesANewerFooterLoadRefreshing) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 20, 1, 3)));
    server.holdNext(Path);
    pullFooter();
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    server.scriptNext(Path, reply(pageReply(50, 20, 1, 3)));
    list->tableViewDidTriggerHeaderRefresh();
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_FALSE(list->isFooterRefreshing()); // the reload set the footer afresh

    // The old page 2 comes back while the new list's page 2 is out: the footer stays refreshing,
    // so no third request can start before page 2 is in.
    server.releaseHeld();
    server.scriptNext(Path, reply(pageReply(70, 20, 2, 3)));
    server.holdNext(Path);
    footer()->beginRefreshing();
    ASSERT_TRUE(runMainUntil([&] { return list->ended >= 3 && server.heldCount() == 1; }));
    drainMain();
    EXPECT_TRUE(list->isFooterRefreshing());

    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(settleRequests(4));
    EXPECT_EQ(list->dataSource().size(), 40u);
    EXPECT_EQ(list->page(), 2);
    EXPECT_FALSE(list->isFooterRefreshing());
}

TEST_F(ListBaseTest, ControlsAreInstalledOnceAndRemoved) {
    ASSERT_NO_FATAL_FAILURE(open(pageReply(1, 1, 1, 1)));
    auto first = footer();
    list->setShowRefreshFooter(true);
    EXPECT_EQ(footer(), first);
    list->setShowRefreshFooter(false);
    EXPECT_FALSE(VXRefresh::VX_footer(list->tableView()));

    list->setShowRefreshHeader(true);
    auto header = std::dynamic_pointer_cast<VXRefreshStateHeader>(VXRefresh::VX_header(list->tableView()));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->accessibilityIdentifier(), "refresh_header");
    EXPECT_TRUE(header->stateLabel()->isHidden());
    EXPECT_EQ(list->navTitleL(), list->navigationItem()->titleView());

    // A pull on the header loads page 1 again.
    server.scriptNext(Path, reply(pageReply(7, 2, 1, 1)));
    driver::pullDown(list->tableView(), 120);
    driver::release(list->tableView());
    advance(0.3);
    ASSERT_NO_FATAL_FAILURE(settleRequests(2));
    EXPECT_EQ(titles().front(), "row 7");
    EXPECT_FALSE(list->isHeaderRefreshing());
}

TEST_F(ListBaseTest, ReplyAfterTheScreenHasGoneChangesNothing) {
    server.holdNext(Path);
    {
        auto screen = ui::ViewController::create<PagedList>();
        present(screen);
        ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
        navigation->dismissViewControllerAnimated(false);
        drainMain();
        navigation.reset();
    }
    server.releaseHeld();
    settle();
    drainMain();
}

} // namespace
