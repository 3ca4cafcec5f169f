// The stand-in's answers for comments and the comment thread.
#include "os/foundation/Clock.h"
#include "server/CommentArea.h"

#include <algorithm>
#include <ctime>

namespace vx::server {

namespace {

// Longest comment (UTF-16 units), and comments and replies one account may post.
constexpr size_t kMaxCommentUnits = 500;
constexpr size_t kMaxCommentsPerAccount = 100;

ns::Value row(const CommentArea::Comment& c, const std::string& user) {
    ns::Dictionary d;
    d.set("id", c.id);
    d.set("full_name", c.fullName);
    d.set("content", c.content);
    d.set("createtime", c.createtime);
    d.set("plpic", "");
    d.set("avatar", c.avatar);
    d.set("number_reply", c.numberReply);
    d.set("good", c.good);
    d.set("isgood", c.likedBy.count(user) ? 1 : 0);
    d.set("level", c.level);
    d.set("goldcoin", c.goldcoin);
    d.set("vippic", c.vippic);
    d.set("paypic", c.paypic.empty() ? ns::Dictionary() : ns::Dictionary{{"pic", c.paypic}});
    return d;
}

// One page of rows: the page echoes the one asked (1 at least); total = ceil(rows / size).
ns::Value page(const std::vector<const CommentArea::Comment*>& rows, const ns::Value& p, size_t size,
               const std::string& user) {
    long long asked = std::max(1LL, p["pagecode"].integerValue());
    size = std::max<size_t>(1, size);
    ns::Array list;
    size_t from = static_cast<size_t>(asked - 1) * size;
    for (size_t i = from; i < rows.size() && i < from + size; ++i) list.push_back(row(*rows[i], user));
    long long total = static_cast<long long>((rows.size() + size - 1) / size);
    return ns::Dictionary{{"a", 1}, {"b", ""}, {"c", ns::Dictionary{{"lists", list}, {"now_page", asked}, {"total_page", total}}}};
}

} // namespace

CommentArea& CommentArea::of(PlatformServer::State& s) {
    if (s.comments) return *s.comments;
    s.comments = std::make_shared<CommentArea>();
    CommentArea& a = *s.comments;
    std::string pic = "http://127.0.0.1:" + std::to_string(s.port) + "/pic/";
    struct Seed {
        const char* name;
        const char* content;
        const char* time;
        long long good, level;
        const char* gold;
        bool vip, paid;
    };
    const Seed seeds[] = {
        {"风中追风", "新版本的副本难度刚刚好，组队打了三次才过，奖励也很丰厚，推荐大家周末一起开荒。", "2024-05-30 21:15", 7, 2, "50", true, true},
        {"月下独酌", "签到七天送的坐骑太好看了！", "2024-05-31 09:02", 12, 1, "20", false, true},
        {"小桥流水", "希望客服回复能再快一点。", "2024-05-29 18:40", 3, 0, "0", true, false},
        {"青衫客", "职业平衡做得不错，法师终于能打了。", "2024-05-28 12:00", 25, 3, "100", false, false},
        {"半夏", "画面很精致，手机有点发热。", "2024-05-27 22:31", 1, 0, "0", false, false},
        {"星河入梦", "公会战太刺激了，今晚继续！", "2024-05-26 20:05", 9, 0, "0", false, false},
        {"北辰", "新手引导很清楚，上手很快。", "2024-05-25 08:45", 4, 0, "0", false, false},
        {"白露为霜", "活动奖励能不能多给点金币？", "2024-05-24 13:12", 2, 0, "0", false, false},
        {"墨染", "剧情写得很用心，期待下一章。", "2024-05-23 19:58", 15, 1, "20", false, false},
        {"长安故里", "组队匹配有时候要等很久。", "2024-05-22 10:10", 0, 0, "0", false, false},
        {"南风知我意", "宠物系统好玩，抓了一下午。", "2024-05-21 16:30", 6, 0, "0", false, false},
        {"一叶知秋", "老玩家回归，福利很给力。", "2024-05-20 11:11", 8, 0, "0", false, false},
    };
    // Oldest first, so that posting order follows the times.
    for (auto it = std::rbegin(seeds); it != std::rend(seeds); ++it) {
        Comment c;
        c.fullName = it->name, c.content = it->content, c.createtime = it->time;
        c.good = it->good, c.level = it->level, c.goldcoin = it->gold;
        c.avatar = pic + "avatar.png";
        if (it->vip) c.vippic = pic + "vip.png";
        if (it->paid) c.paypic = pic + "paid.png";
        a.add(std::move(c));
    }
    // Replies to the first comment, oldest first.
    long long head = a.comments.back().id;
    const char* replies[][3] = {{"半夏", "同意，奖励确实不错。", "2024-05-30 21:40"},
                                {"北辰", "求带，我还没过。", "2024-05-30 22:05"},
                                {"月下独酌", "周六晚上八点公会集合！", "2024-05-31 08:30"}};
    for (auto& r : replies) {
        Comment c;
        c.pid = head, c.fullName = r[0], c.content = r[1], c.createtime = r[2];
        c.avatar = pic + "avatar.png";
        a.add(std::move(c));
        a.find(head)->numberReply++;
    }
    return a;
}

CommentArea::Comment& CommentArea::add(Comment c) {
    if (!c.id) c.id = nextId++;
    c.order = nextOrder++;
    comments.push_back(std::move(c));
    return comments.back();
}

CommentArea::Comment* CommentArea::find(long long id) {
    for (auto& c : comments)
        if (c.id == id) return &c;
    return nullptr;
}

ns::Value answerComments(PlatformServer::State& s, const std::string& path, const ns::Value& p) {
    if (path.rfind("Sdkcomments/", 0) != 0) return {};
    CommentArea& a = CommentArea::of(s);
    std::string user = text(p["username"]);
    // Anyone may read; only the player's own session sees which comments the player liked, and
    // only it writes as the player.
    bool own = isCaller(s, user);
    if (!own && (path == "Sdkcomments/commit" || path == "Sdkcomments/good"))
        return ns::Dictionary{{"a", 0}, {"b", LoginFirst}};
    if (!own) user.clear();
    if (path == "Sdkcomments/get") {
        std::vector<const CommentArea::Comment*> rows;
        for (const auto& c : a.comments)
            if (c.pid == 0) rows.push_back(&c);
        bool byLikes = p["px"].integerValue() == 1;
        std::stable_sort(rows.begin(), rows.end(), [&](const auto* x, const auto* y) {
            if (byLikes && x->good != y->good) return x->good > y->good;
            if (x->createtime != y->createtime) return x->createtime > y->createtime;
            return x->order > y->order;
        });
        return page(rows, p, a.pageSize, user);
    }
    if (path == "Sdkcomments/listscomments") {
        long long head = p["comments_id"].integerValue();
        if (!a.find(head)) return ns::Dictionary{{"a", 0}, {"b", "评论不存在"}};
        std::vector<const CommentArea::Comment*> rows;
        for (const auto& c : a.comments)
            if (c.pid == head) rows.push_back(&c);
        return page(rows, p, a.pageSize, user);
    }
    if (path == "Sdkcomments/commit") {
        std::string content = text(p["content"]);
        if (content.find_first_not_of(" \t\r\n") == std::string::npos)
            return ns::Dictionary{{"a", 0}, {"b", "评论内容不能为空"}};
        if (!lengthWithin(content, 0, kMaxCommentUnits)) return ns::Dictionary{{"a", 0}, {"b", "评论内容不能超过500字"}};
        if (auto posted = a.postedBy.find(user); posted != a.postedBy.end() && posted->second >= kMaxCommentsPerAccount)
            return ns::Dictionary{{"a", 0}, {"b", "评论数量已达上限"}};
        CommentArea::Comment c;
        if (const ns::Value* pid = p.dictionaryPtr() ? p.dictionaryPtr()->find("pid") : nullptr) {
            CommentArea::Comment* parent = a.find(pid->integerValue());
            if (!parent) return ns::Dictionary{{"a", 0}, {"b", "评论不存在"}};
            parent->numberReply++;
            c.pid = parent->id;
        }
        c.fullName = user;
        c.content = content;
        ++a.postedBy[user];
        c.createtime = minuteText(static_cast<long long>(ns::Clock::wallNow()));
        c.avatar = "http://127.0.0.1:" + std::to_string(s.port) + "/pic/avatar.png";
        bool reply = c.pid != 0;
        a.add(std::move(c));
        return ns::Dictionary{{"a", 1}, {"b", reply ? "回复成功，刷新后可见" : "评论成功，刷新后可见"}};
    }
    if (path == "Sdkcomments/good") {
        CommentArea::Comment* c = a.find(p["comments_id"].integerValue());
        if (!c) return ns::Dictionary{{"a", 0}, {"b", "评论不存在"}};
        if (!c->likedBy.insert(user).second) return ns::Dictionary{{"a", 0}, {"b", "您已经点过赞了"}};
        c->good++;
        return ns::Dictionary{{"a", 1}, {"b", "点赞成功"}};
    }
    return {};
}

} // namespace vx::server
