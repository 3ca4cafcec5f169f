// The comment page and a comment's thread, driven as a player does against the stand-in server:
// sorting, pulling, liking, posting comments and replies, and the layouts of both devices.
#include "os/uikit/Keyboard.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "platform_sdk/user_center/VXPingTwoVC.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXSuStrategyVC.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXSuWebVC.h"
#include "server/CommentArea.h"
#include "tests/platform_sdk/user_center/ListScreenFixture.h"
#include "widgets/UIScrollView+VXRefresh.h"
#include "widgets/VXRefreshHeader.h"

namespace {

namespace driver = ui::driver;
using vx::server::PlatformServer;

class CommentsTest : public vx::test::ListScreenTest {
protected:
    VXPingVCRef openComments(size_t pageSize = 10) {
        server.withState([&](PlatformServer::State& s) { vx::server::CommentArea::of(s).pageSize = pageSize; });
        // The comment page where players find it: the strategy tab's second page.
        auto pager = ui::ViewController::create<VXSuStrategyVC>();
        present(pager);
        answered("Sdkdetail/gonglue");
        driver::tap(std::dynamic_pointer_cast<ui::Button>(pager->topView()->viewWithTag(11)));
        advance(0.3);
        answered("Sdkcomments/get");
        return std::dynamic_pointer_cast<VXPingVC>(pager->childViewControllers().at(1));
    }
    static VXPingModelRef row(const VXPingVCRef& page, size_t i) { return page->dataSource()[i].objectAs<VXPingModel>(); }
    void chooseSort(const VXPingVCRef& page, const std::string& title) {
        driver::tap(page->menu()->titleButton());
        auto options = page->menu()->optionButtons();
        for (const auto& option : options)
            if (option->titleForState(ui::ControlStateNormal) == title) return driver::tap(option);
        FAIL() << "no option " << title;
    }
    void send(const VXInputViewRef& bar, const std::string& text) {
        if (!text.empty()) driver::typeText(bar->textView(), text);
        driver::tap(bar->sendButton());
    }
};

TEST_F(CommentsTest, OpensByPopularityAndSortsByTime) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments());
    auto first = lastParams("Sdkcomments/get");
    EXPECT_EQ(first["px"].integerValue(), 1);
    EXPECT_EQ(first["pagecode"].integerValue(), 1);
    EXPECT_EQ(first["username"].stringValue(), "player01");
    EXPECT_EQ(first["gid"].stringValue(), "1001");
    EXPECT_EQ(first["cpsId"].stringValue(), "cps3");
    EXPECT_EQ(page->menu()->title(), "按热度");
    ASSERT_EQ(page->dataSource().size(), 10u);
    EXPECT_EQ(row(page, 0)->good.integerValue(), 25);
    driver::tap(page->menu()->titleButton());
    shoot("uc-strategy-comments-sort");
    driver::tap(page->menu()->optionButtons().at(0)); // "按时间"
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get", 2));
    EXPECT_EQ(lastParams("Sdkcomments/get")["px"].integerValue(), 0);
    EXPECT_EQ(lastParams("Sdkcomments/get")["pagecode"].integerValue(), 1);
    EXPECT_EQ(page->menu()->title(), "按时间");
    EXPECT_EQ(row(page, 0)->createtime, "2024-05-31 09:02");
}

TEST_F(CommentsTest, APullRefusedOrWithoutAStatusKeepsTheRowsAndTheFooter) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments(5));
    // A reply with no "a" (here not even a dictionary) is no success either.
    ns::Value replies[] = {ns::Dictionary{{"a", 0}, {"b", "评论加载失败"}}, ns::Array{}};
    for (size_t i = 0; i < 2; ++i) {
        server.scriptNext("Sdkcomments/get", reply(replies[i]));
        driver::pullDown(page->tableView(), 120);
        driver::release(page->tableView());
        ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get", 2 + i));
        if (i == 0) { EXPECT_TRUE(toastShows(page, "评论加载失败")); }
        EXPECT_FALSE(page->isHeaderRefreshing()) << i;
        EXPECT_EQ(page->dataSource().size(), 5u) << i;
        EXPECT_EQ(page->totalPage(), 3) << i;
        EXPECT_NE(VXRefresh::VX_footer(page->tableView())->state(), VXRefreshStateNoMoreData) << i;
    }
}

TEST_F(CommentsTest, SendingPostsAsTypedAndDoesNotReload) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments());
    send(page->commentInputView(), "");
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/commit"));
    EXPECT_EQ(lastParams("Sdkcomments/commit")["content"].stringValue(), "");
    EXPECT_TRUE(toastShows(page, "评论内容不能为空"));

    send(page->commentInputView(), "好玩 ");
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/commit", 2));
    auto posted = lastParams("Sdkcomments/commit");
    EXPECT_EQ(posted["content"].stringValue(), "好玩 ");
    EXPECT_EQ(posted["appid"].stringValue(), "app7");
    EXPECT_FALSE(posted.dictionaryPtr()->contains("pid"));
    EXPECT_TRUE(logContains("输出 = 好玩 "));
    EXPECT_TRUE(toastShows(page, "评论成功，刷新后可见"));
    EXPECT_EQ(page->commentInputView()->plainText(), "");
    EXPECT_EQ(sentCount("Sdkcomments/get"), 1u);

    server.scriptNext("Sdkcomments/commit", dropped());
    send(page->commentInputView(), "再来");
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/commit", 3));
    EXPECT_TRUE(toastShows(page, "服务器错误"));
}

TEST_F(CommentsTest, TheCommentBarRidesOnTheKeyboardInsideThePager) {
    useProfile(notch());
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments());
    auto bar = page->commentInputView();
    cg::Rect resting = bar->frame();
    driver::typeText(bar->textView(), "好");
    advance(0.3);
    cg::Rect onScreen = bar->superview()->convertRectToView(bar->frame(), nullptr);
    EXPECT_EQ(cg::RectGetMaxY(onScreen), ui::Keyboard::shared().frame().origin.y);
    EXPECT_EQ(onScreen.origin.x, 0) << "on the comment page, not beside it";
    driver::endEditing(page->view());
    advance(0.3);
    EXPECT_EQ(bar->frame(), resting);
}

TEST_F(CommentsTest, ASortDuringANextPageAddsNoStaleRows) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments(5));
    server.holdNext("Sdkcomments/get");
    driver::scrollToEnd(page->tableView());
    ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 1; }));
    EXPECT_EQ(lastParams("Sdkcomments/get")["pagecode"].integerValue(), 2);
    ASSERT_NO_FATAL_FAILURE(chooseSort(page, "按时间"));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get", 3));
    ASSERT_EQ(page->dataSource().size(), 5u);
    server.releaseHeld();
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get", 3));
    EXPECT_EQ(page->dataSource().size(), 5u) << "the popularity page 2 was overtaken";
    EXPECT_EQ(row(page, 0)->createtime, "2024-05-31 09:02");
    EXPECT_EQ(page->page(), 1);
}

// Pixels of the picture on screen that have the colour of its words (within a small tolerance).
size_t wordPixels(const ui::ImageViewRef& view, imagebytes::Rgba colour) {
    auto image = view && view->image() ? view->image()->CGImage() : nullptr;
    size_t n = 0;
    if (image)
        for (uint32_t y = 0; y < image->height(); ++y)
            for (uint32_t x = 0; x < image->width(); ++x)
                if (imagebytes::near(imagebytes::pixelAt(image, x, y), colour, 24)) ++n;
    return n;
}

TEST_F(CommentsTest, TheBannerAndTheBadgesCarryWords) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments());
    ASSERT_TRUE(runMainUntil([&] { settle(); return picturesShown(); }));
    EXPECT_GT(wordPixels(page->picView(), {255, 255, 255, 255}), 400u) << "the rules banner says what it opens";
    // Row 2 has the paid badge only; the thread's head (below) both.
    auto paid = driver::cell<VXPingCell>(page->tableView(), {0, 2});
    ASSERT_TRUE(runMainUntil([&] { settle(); return picturesShown(); }));
    EXPECT_GT(wordPixels(paid->payPic.lock(), {255, 255, 255, 255}), 40u);
    ASSERT_NO_FATAL_FAILURE(chooseSort(page, "按时间"));
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/get", 2));
    auto both = driver::cell<VXPingCell>(page->tableView(), {0, 1});
    ASSERT_EQ(both->model()->full_name, "风中追风");
    ASSERT_TRUE(runMainUntil([&] { settle(); return picturesShown(); }));
    EXPECT_GT(wordPixels(both->vipPic.lock(), {130, 70, 0, 255}), 40u);
}

TEST_F(CommentsTest, TheBannerOpensTheRulesAndARowItsThread) {
    VXPingVCRef page;
    ASSERT_NO_FATAL_FAILURE(page = openComments());
    driver::tap(page->picView());
    advance(0.35);
    auto rules = std::dynamic_pointer_cast<VXSuWebVC>(navigation->topViewController());
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->name(), "评论规则");
    EXPECT_EQ(rules->url(), VXEndpoints::baseURL() + "Agreement/yz");
    EXPECT_TRUE(rules->isShowSuperVc());
    navigation->popViewControllerAnimated(false);
    drainMain();

    // A paid badge opens the page explaining titles.
    auto paid = driver::cell<VXPingCell>(page->tableView(), {0, 2});
    ASSERT_FALSE(paid->payPic.lock()->isHidden());
    driver::tap(paid->payPic.lock());
    advance(0.35);
    auto titles = std::dynamic_pointer_cast<VXSuWebVC>(navigation->topViewController());
    ASSERT_TRUE(titles);
    EXPECT_EQ(titles->name(), "用户头衔等级说明");
    EXPECT_EQ(titles->url(), VXEndpoints::baseURL() + "Agreement/tx");
    navigation->popViewControllerAnimated(false);
    drainMain();

    driver::selectRow(page->tableView(), {0, 0});
    advance(0.35);
    auto thread = std::dynamic_pointer_cast<VXPingTwoVC>(navigation->topViewController());
    ASSERT_TRUE(thread);
    EXPECT_EQ(thread->headModel(), row(page, 0)) << "the list's very object";
}

class ThreadTest : public CommentsTest {
protected:
    // The thread of the newest seeded comment (three replies), pushed from the list sorted by time.
    VXPingTwoVCRef openThread(VXPingVCRef& list) {
        list = openComments();
        if (!list || ::testing::Test::HasFatalFailure()) return nullptr;
        chooseSort(list, "按时间");
        answered("Sdkcomments/get", 2);
        size_t index = 0;
        for (; index < list->dataSource().size(); ++index)
            if (row(list, index)->full_name == "风中追风") break;
        driver::selectRow(list->tableView(), {0, static_cast<long>(index)});
        advance(0.35);
        answered("Sdkcomments/listscomments");
        return std::dynamic_pointer_cast<VXPingTwoVC>(navigation->topViewController());
    }
};

TEST_F(ThreadTest, ShowsTheHeadOverTheRepliesAndPostsWithTheParent) {
    VXPingVCRef list;
    VXPingTwoVCRef thread;
    ASSERT_NO_FATAL_FAILURE(thread = openThread(list));
    ASSERT_TRUE(thread);
    long long id = thread->headModel()->Id.integerValue();
    EXPECT_EQ(lastParams("Sdkcomments/listscomments")["comments_id"].integerValue(), id);
    EXPECT_EQ(thread->dataSource().size(), 3u);
    EXPECT_EQ(thread->tableView()->tableHeaderView(), thread->headView());
    EXPECT_EQ(thread->headView()->frame().size.height, thread->headModel()->headH());
    cg::Rect b = thread->view()->bounds();
    EXPECT_EQ(thread->commentInputView()->frame().origin.y, b.size.height - 44);
    EXPECT_EQ(thread->tableView()->frame().origin.y, 64);
    EXPECT_EQ(thread->tableView()->frame().size.height, b.size.height - 44 - 64);
    driver::typeText(thread->commentInputView()->textView(), "一起");
    EXPECT_LT(thread->commentInputView()->frame().origin.y, b.size.height - 44) << "above the keyboard while typing";
    driver::endEditing(thread->view());
    advance(0.25);
    EXPECT_EQ(thread->commentInputView()->frame().origin.y, b.size.height - 44);
    shoot("uc-strategy-thread");

    driver::tap(thread->commentInputView()->sendButton());
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/commit"));
    auto posted = lastParams("Sdkcomments/commit");
    EXPECT_EQ(posted["pid"].integerValue(), id);
    EXPECT_EQ(posted["content"].stringValue(), "一起");
    EXPECT_TRUE(toastShows(thread, "回复成功，刷新后可见"));
    EXPECT_EQ(sentCount("Sdkcomments/listscomments"), 1u) << "not reloaded";
    EXPECT_FALSE(logContains("输出 = 一起"));

    // A like on the head is the list's comment liked.
    long long before = thread->headModel()->good.integerValue();
    driver::tap(thread->headView()->goodBtn.lock());
    ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/good"));
    EXPECT_EQ(thread->headView()->goodL.lock()->text(), std::to_string(before + 1));
    bool seen = false;
    for (size_t i = 0; i < list->dataSource().size(); ++i)
        if (row(list, i)->Id.integerValue() == id) seen = row(list, i)->good.integerValue() == before + 1;
    EXPECT_TRUE(seen);
}

TEST_F(ThreadTest, OnANotchPhoneTheBoxSitsAboveTheHomeIndicator) {
    useProfile(notch());
    VXPingVCRef list;
    VXPingTwoVCRef thread;
    ASSERT_NO_FATAL_FAILURE(thread = openThread(list));
    ASSERT_TRUE(thread);
    cg::Rect b = thread->view()->bounds();
    EXPECT_EQ(thread->commentInputView()->frame().origin.y, b.size.height - 44 - 34);
    EXPECT_EQ(thread->tableView()->frame().origin.y, 88);
    shoot("uc-strategy-thread-notch");
}

TEST_F(ThreadTest, AnEmptyOrRefusedThreadShowsTheHeadOverNoRows) {
    long long id = 0;
    server.withState([&](PlatformServer::State& s) {
        vx::server::CommentArea::Comment c;
        c.content = "还没有人回复";
        id = vx::server::CommentArea::of(s).add(c).id;
    });
    for (long long asked : {id, 99999LL}) { // the second is no comment: refused
        auto thread = ui::ViewController::create<VXPingTwoVC>();
        thread->setHeadModel(VXKeyValue::vx_objectWithKeyValues<VXPingModel>(
            ns::Value(ns::Dictionary{{"id", asked}, {"full_name", "无名"}, {"content", "还没有人回复"}})));
        present(thread);
        ASSERT_NO_FATAL_FAILURE(answered("Sdkcomments/listscomments", asked == id ? 1 : 2));
        EXPECT_EQ(driver::rowCount(thread->tableView(), 0), 0);
        EXPECT_EQ(thread->tableView()->tableHeaderView(), thread->headView());
        if (asked != id) {
            EXPECT_TRUE(toastShows(thread, "评论不存在"));
            EXPECT_FALSE(thread->showRefreshFooter()) << "no footer, so no no-more-data text either";
        }
        navigation->dismissViewControllerAnimated(false);
        advance(0.3);
    }
}

} // namespace
