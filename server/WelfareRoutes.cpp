// The stand-in's answers for welfare, strategy and activity lists, gifts and the server list.
#include "os/foundation/Data.h"
#include "os/foundation/Format.h"
#include "os/graphics/ColorSpace.h"
#include "os/graphics/Context.h"
#include "os/imageio/ImageDestination.h"
#include "server/WelfareArea.h"
#include "server/WebPages.h"

#include <algorithm>

namespace vx::server {

namespace {

// A wide banner: two colour bands and a stripe, so pictures differ from one another.
std::string bannerPNG(int index) {
    static const cg::Color colours[] = {{0.38, 0.22, 0.91, 1}, {1.0, 0.42, 0.0, 1}, {0.13, 0.6, 0.45, 1},
                                        {0.85, 0.2, 0.35, 1},  {0.2, 0.45, 0.85, 1}};
    const cg::Color& c = colours[index % 5];
    const size_t w = 345, h = 150;
    auto context = cg::Context::CreateBitmap(nullptr, w, h, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayOpaque);
    if (!context) return {};
    context->SetFillColor(c);
    context->FillRect({{0, 0}, {double(w), double(h)}});
    context->SetFillColor({c.r * 0.7, c.g * 0.7, c.b * 0.7, 1});
    context->FillRect({{0, 0}, {double(w), h / 3.0}});
    context->SetFillColor({1, 1, 1, 0.85});
    context->FillRect({{20.0 + 40 * (index % 6), h / 2.0}, {120, 14}});
    return pages::pngBytes(*context);
}

// One page of rows: the page asked for (1 when missing or below 1), rows of that page, and total
// pages = ceil(rows / size), 0 when there are none.
template <class T, class F>
ns::Dictionary page(const std::vector<T>& all, const ns::Value& pagecode, int size, F row) {
    long long asked = std::max(1LL, pagecode.integerValue());
    size = std::max(1, size);
    long long total = (static_cast<long long>(all.size()) + size - 1) / size;
    ns::Array rows;
    if (asked <= total)
        for (size_t i = static_cast<size_t>((asked - 1) * size); i < all.size() && rows.size() < size_t(size); ++i)
            rows.push_back(row(all[i]));
    return {{"lists", rows}, {"now_page", asked}, {"total_page", total}};
}

ns::Value articleRow(const WelfareArea::Article& a, bool activity) {
    ns::Dictionary row{{"post_title", a.title}, {"post_date", a.date}, {"pic1", a.pic}, {"openurl", a.url}};
    if (activity) row.set("flag", a.flag), row.set("flag_color", a.flagColor);
    return row;
}

} // namespace

std::shared_ptr<WelfareArea> WelfareArea::make(PlatformServer::State& s) {
    auto w = std::make_shared<WelfareArea>();
    std::string host = "http://127.0.0.1:" + std::to_string(s.port);
    w->fanli = "单日充值满100元返利10%，满500元返利15%，返利以平台币发放至账号。";
    for (int level = 1; level <= 6; ++level)
        w->vipList.push_back(ns::Dictionary{{"item1", "VIP" + std::to_string(level)},
                                            {"item2", std::to_string(level * level * 100) + "元"}});
    w->boxContent = "1. 每日登录可领取登录礼包一份。\n2. 累计充值达到VIP等级后可联系客服领取等级礼包。\n"
                    "3. 活动期间充值返利自动到账，无需申请。\n4. 福利内容以游戏内公告为准，最终解释权归平台所有。";
    auto serve = [&](const std::string& path, std::string bytes, const char* type) {
        s.files[path] = {std::move(bytes), type};
    };
    const char* flags[] = {"热门", "限时", "新服", "福利"};
    const char* colours[] = {"#FF6A00", "#6137E7", "#18A058", "#E83A5C"};
    for (int i = 1; i <= 23; ++i) {
        std::string id = std::to_string(i);
        Article a{"新手攻略第" + id + "期：职业选择与成长路线", ns::format("2024-03-%02d", (i % 28) + 1),
                  host + "/welfare/pic/s" + id + ".png", host + "/welfare/article/s" + id + ".html", "", ""};
        serve("/welfare/pic/s" + id + ".png", bannerPNG(i), "image/png");
        serve("/welfare/article/s" + id + ".html", pages::article(a.title, a.date), "text/html; charset=utf-8");
        w->strategies.push_back(a);
    }
    for (int i = 1; i <= 12; ++i) {
        std::string id = std::to_string(i);
        Article a{"限时活动" + id + "：充值返利与登录有礼同时开启", ns::format("2024-04-%02d", i),
                  host + "/welfare/pic/a" + id + ".png", host + "/welfare/article/a" + id + ".html", flags[i % 4],
                  colours[i % 4]};
        serve("/welfare/pic/a" + id + ".png", bannerPNG(i + 2), "image/png");
        serve("/welfare/article/a" + id + ".html", pages::article(a.title, a.date), "text/html; charset=utf-8");
        w->activities.push_back(a);
    }
    for (int i = 1; i <= 25; ++i)
        w->servers.push_back({"双线" + std::to_string(i) + "服", ns::format("2024-05-%02d", i), ns::format("%02d:00", 8 + i % 12), i <= 18});
    const char* kinds[][3] = {{"新手礼包", "登录礼包", "每日礼包"}, {"VIP1礼包", "VIP2礼包", ""}, {"节日礼包", "", ""}};
    long id = 31;
    for (int kind = 0; kind < 3; ++kind)
        for (const char* name : kinds[kind])
            if (*name)
                w->gifts.push_back({id++, kind, name, std::string(name) + "：金币×1000，强化石×10", "2024-12-31",
                                    "请在游戏内邮件领取，每个角色限用一次"});
    return w;
}

WelfareArea& welfareArea(PlatformServer::State& s) {
    if (!s.welfare) s.welfare = WelfareArea::make(s);
    return *s.welfare;
}

ns::Value answerWelfare(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    static const std::set<std::string> paths = {"Sdkdetail/fuli", "Sdkdetail/gonglue", "Sdkdetail/gameActivity",
                                                "Server/lists2", "Sdkdetail/card", "Card/receive"};
    if (!paths.count(path)) return {};
    WelfareArea& w = welfareArea(s);
    std::string user = text(p["username"]);

    if (path == "Sdkdetail/fuli") {
        if (user.empty()) return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
        return ns::Dictionary{{"a", 1}, {"b", ""},
                              {"c", ns::Dictionary{{"fanli", w.fanli}, {"vipList", w.vipList}, {"box_content", w.boxContent}}}};
    }
    if (path == "Sdkdetail/gonglue")
        return page(w.strategies, p["pagecode"], w.pageSize, [](const auto& a) { return articleRow(a, false); });
    if (path == "Sdkdetail/gameActivity") {
        static const std::vector<WelfareArea::Article> none;
        bool empty = w.gamesWithoutActivities.count(text(p["gid"])) > 0;
        return page(empty ? none : w.activities, p["pagecode"], w.pageSize, [](const auto& a) { return articleRow(a, true); });
    }
    if (path == "Server/lists2") {
        ns::Dictionary reply = page(w.servers, p["pagecode"], w.pageSize, [](const WelfareArea::ServerOpening& o) {
            return ns::Value(ns::Dictionary{{"servername", o.name}, {"day", o.day}, {"hour", o.hour}, {"status", o.open ? "1" : "0"}});
        });
        reply.set("auto", w.dynamicOpening ? 1 : 0);
        return reply;
    }
    if (path == "Sdkdetail/card") {
        long long kind = p["lx"].integerValue();
        // Looked up, not made: listing the packs leaves nothing behind for a name. The packs are
        // anyone's to see; the codes a player claimed only the player's own session.
        static const decltype(w.claimed)::mapped_type none;
        const auto& mine = isCaller(s, user) ? foundOr(w.claimed, user, none) : none;
        ns::Array rows;
        for (const auto& g : w.gifts) {
            if (g.kind != kind) continue;
            auto code = mine.find(g.id);
            rows.push_back(ns::Dictionary{{"id", g.id}, {"name", g.name}, {"status", code != mine.end() ? 1 : 0},
                                          {"code", code != mine.end() ? code->second : ""},
                                          {"card_context", g.context}, {"end_time", g.endTime}, {"excerpt", g.excerpt}});
        }
        return rows;
    }
    // Card/receive: the id may come as a number or as text.
    long long id = p["cardid"].integerValue();
    auto gift = std::find_if(w.gifts.begin(), w.gifts.end(), [&](const auto& g) { return g.id == id; });
    if (!isCaller(s, user)) return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
    if (gift == w.gifts.end()) return ns::Dictionary{{"a", 0}, {"b", "礼包不存在"}};
    auto& mine = w.claimed[user];
    if (mine.count(id)) return ns::Dictionary{{"a", 0}, {"b", "已领取"}};
    mine[id] = "VX" + std::to_string(id) + "-" + std::to_string(w.nextCode++);
    return ns::Dictionary{{"a", 1}, {"b", "领取成功"}};
}

} // namespace vx::server
