#include "server/WebPages.h"

#include "os/foundation/Data.h"
#include "os/graphics/ColorSpace.h"
#include "os/graphics/Context.h"
#include "os/graphics/Path.h"
#include "os/imageio/ImageDestination.h"
#include "os/text/StringDrawing.h"

#include <cmath>
#include <functional>

namespace vx::server::pages {

std::string pngBytes(cg::Context& context) {
    auto data = ns::MutableData::make();
    auto destination = imageio::ImageDestination::CreateWithData(data, "public.png", 1);
    if (!destination) return {};
    destination->AddImage(context.CreateImage());
    return destination->Finalize() ? data->toString() : std::string();
}

namespace {

std::string escaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The look every page shares: a purple head, white cards on a light grey page.
const char* kStyle = R"(
body { margin: 0; padding-bottom: 12px; background: #F5F6FA; color: #333; font-size: 15px; line-height: 1.6; }
.head { background: #6036E7; color: #fff; padding: 16px 16px 18px; }
.head h1 { margin: 0; font-size: 21px; line-height: 1.4; }
.head p { margin: 4px 0 0; font-size: 13px; color: #DCD3FF; }
.card { background: #fff; border-radius: 10px; margin: 12px 12px 0; padding: 12px 14px; }
h2 { font-size: 16px; color: #222; margin: 0 0 6px; }
p { margin: 0 0 8px; }
ol { padding-left: 22px; margin: 0; }
li { margin: 3px 0; }
.muted { color: #999; font-size: 12px; }
.foot { text-align: center; margin: 12px 12px 0; }
table { width: 100%; border-collapse: collapse; }
th { background: #F0ECFF; color: #6036E7; }
td, th { border: 1px solid #E6E6EF; padding: 6px 4px; text-align: center; font-size: 14px; }
a.button { display: block; background: #6036E7; color: #fff; text-decoration: none; text-align: center;
           border-radius: 22px; padding: 9px; margin: 16px 12px; font-size: 16px; }
)";

std::string document(const std::string& title, const std::string& body, const std::string& style = "") {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\"><title>" +
           title + "</title><style>" + kStyle + style + "</style></head><body>" + body + "</body></html>";
}

std::string head(const std::string& title, const std::string& line) {
    return "<div class=\"head\"><h1>" + title + "</h1>" + (line.empty() ? "" : "<p>" + line + "</p>") + "</div>";
}

// --- Pictures ---

std::string png(size_t width, size_t height, const std::function<void(cg::Context&)>& draw) {
    auto context = cg::Context::CreateBitmap(nullptr, width, height, 8, 0, cg::ColorSpace::CreateDeviceRGB(), cg::kBitmapDisplayAlpha);
    if (!context) return {};
    // y down, as the UI layer draws.
    context->TranslateCTM(0, double(height));
    context->ScaleCTM(1, -1);
    draw(*context);
    return pngBytes(*context);
}

void fill(cg::Context& context, const cg::Path& path, cg::Color colour) {
    context.SetFillColor(colour);
    context.BeginPath();
    context.AddPath(path);
    context.FillPath();
}

// A white figure on a light blue disc, 80 x 80 (a head at 2x).
std::string avatarPNG() {
    return png(80, 80, [](cg::Context& c) {
        cg::Path disc, head, shoulders;
        disc.AddEllipseInRect(cg::RectMake(0, 0, 80, 80));
        fill(c, disc, {0.47, 0.66, 0.94, 1});
        c.SaveGState();
        c.BeginPath();
        c.AddPath(disc);
        c.Clip();
        head.AddEllipseInRect(cg::RectMake(26, 16, 28, 28));
        fill(c, head, {1, 1, 1, 1});
        shoulders.AddEllipseInRect(cg::RectMake(12, 50, 56, 44));
        fill(c, shoulders, {1, 1, 1, 1});
        c.RestoreGState();
    });
}

// A rounded badge with a word, 100 x 32 (2x).
std::string badgePNG(const std::string& word, cg::Color fillColour, cg::Color edge, cg::Color ink) {
    return png(100, 32, [&](cg::Context& c) {
        cg::Path outer, inner;
        outer.AddRoundedRect(cg::RectMake(1, 1, 98, 30), 15);
        fill(c, outer, edge);
        inner.AddRoundedRect(cg::RectMake(4, 4, 92, 24), 12);
        fill(c, inner, fillColour);
        vx::text::Style style;
        style.font = ui::Font::boldSystemFontOfSize(17);
        style.color = ink;
        style.alignment = vx::text::Alignment::Center;
        double lineHeight = style.font->lineHeight();
        vx::text::draw(c, cg::RectMake(0, std::floor((32 - lineHeight) / 2), 100, lineHeight), word, style);
    });
}

} // namespace

std::map<std::string, std::pair<std::string, std::string>> pictures() {
    return {
        {"/pic/avatar.png", {avatarPNG(), "image/png"}},
        {"/pic/vip.png", {badgePNG("VIP 5", {1.0, 0.83, 0.36, 1}, {0.91, 0.62, 0.16, 1}, {0.55, 0.3, 0.02, 1}), "image/png"}},
        {"/pic/paid.png", {badgePNG("付费会员", {0.78, 0.52, 0.96, 1}, {0.58, 0.28, 0.86, 1}, {1, 1, 1, 1}), "image/png"}},
    };
}

std::string agreement() {
    struct Section {
        const char* title;
        std::initializer_list<const char*> clauses;
    };
    const Section sections[] = {
        {"一、协议的接受", {"您在注册、登录或使用本平台服务前，应仔细阅读本协议的全部条款。",
                           "您点击同意、注册或登录，即表示您已充分理解并同意本协议。",
                           "未满十八周岁的用户应在监护人陪同下阅读本协议。"}},
        {"二、账号注册与使用", {"您应使用真实、准确的信息注册账号，并按要求完成实名认证。",
                               "账号仅限您本人使用，不得出借、转让或出售。",
                               "请妥善保管账号和密码，因保管不善造成的损失由您自行承担。"}},
        {"三、充值与消费", {"平台币、代金券和星币仅可在本平台内使用，不可兑换为现金。",
                           "充值成功后，除法律另有规定外，已充值的款项不予退还。",
                           "未成年人的充值受防沉迷规定限制。"}},
        {"四、用户行为规范", {"不得利用本平台发布违法、侵权或不良信息。",
                             "不得使用外挂、作弊程序或利用系统漏洞获取不正当利益。"}},
        {"五、隐私保护", {"平台依照《隐私政策》收集和使用您的个人信息。",
                         "未经您同意，平台不会向第三方提供您的个人信息，法律另有规定的除外。"}},
        {"六、其他", {"平台有权根据需要修改本协议，修改后的协议在平台公布后生效。",
                     "本协议的解释、效力及纠纷的解决，适用中华人民共和国法律。"}},
    };
    std::string body = head("用户协议", "更新日期：2024年5月1日 · 生效日期：2024年5月1日");
    body += "<div class=\"card\"><p>欢迎您使用本平台的游戏服务。本协议是您与平台之间关于账号注册、登录、充值及使用平台服务的约定。</p></div>";
    for (const auto& section : sections) {
        body += "<div class=\"card\"><h2>" + std::string(section.title) + "</h2><ol>";
        for (const char* clause : section.clauses) body += "<li>" + std::string(clause) + "</li>";
        body += "</ol></div>";
    }
    body += "<p class=\"muted foot\">如有疑问，请联系客服：400-800-1234</p>";
    return document("用户协议", body);
}

std::string antiAddiction() {
    std::string body = head("防沉迷系统详情", "根据国家新闻出版署关于防止未成年人沉迷网络游戏的规定");
    body += "<div class=\"card\"><h2>游戏时间</h2><p>未成年人仅可在周五、周六、周日和法定节假日每日20时至21时登录游戏，"
            "其他时间无法登录。</p></div>"
            "<div class=\"card\"><h2>充值限额</h2><table><tr><th>年龄</th><th>单次上限</th><th>每月上限</th></tr>"
            "<tr><td>未满8周岁</td><td colspan=\"2\">不提供充值服务</td></tr>"
            "<tr><td>8至16周岁</td><td>50元</td><td>200元</td></tr>"
            "<tr><td>16至18周岁</td><td>100元</td><td>400元</td></tr></table></div>"
            "<div class=\"card\"><p>请使用本人真实身份信息完成实名认证，合理安排游戏时间，享受健康生活。</p></div>";
    return document("防沉迷系统详情", body);
}

std::string titleLevels() {
    static const char* rows[][3] = {{"VIP1", "100元", "专属头像框"},      {"VIP2", "500元", "每周礼包"},
                                    {"VIP3", "1000元", "生日礼包"},       {"VIP4", "3000元", "专属客服"},
                                    {"VIP5", "5000元", "节日礼包"},       {"VIP6", "10000元", "线下活动邀请"}};
    std::string body = head("用户头衔等级说明", "头衔随累计充值提升，显示在评论和个人中心");
    body += "<div class=\"card\"><h2>VIP 等级</h2><table><tr><th>等级</th><th>累计充值</th><th>特权</th></tr>";
    for (const auto& row : rows)
        body += std::string("<tr><td><span class=\"vip\">") + row[0] + "</span></td><td>" + row[1] + "</td><td>" + row[2] +
                "</td></tr>";
    body += "</table></div><div class=\"card\"><h2>付费头衔</h2><p>当月充值满30元即可获得<span class=\"paid\">付费会员</span>"
            "头衔，有效期至当月月底。</p></div>";
    return document("用户头衔等级说明", body,
                    ".vip { display: inline-block; line-height: 1.5; background: #FFD35C; color: #8C4D05; border-radius: 9px; padding: 0 8px; font-size: 13px; }"
                    ".paid { display: inline-block; line-height: 1.5; background: #C785F5; color: #fff; border-radius: 9px; padding: 0 8px; margin: 0 4px; font-size: 13px; }");
}

std::string service() {
    std::string body = head("客服中心", "在线时间 9:00-22:00（节假日不休）");
    body += "<div class=\"card\"><h2>联系我们</h2><table class=\"ways\">"
            "<tr><td class=\"k\">客服电话</td><td>400-800-1234</td></tr>"
            "<tr><td class=\"k\">客服QQ</td><td>80001234</td></tr>"
            "<tr><td class=\"k\">微信公众号</td><td>游戏平台服务号</td></tr>"
            "<tr><td class=\"k\">邮箱</td><td>service@platform.example</td></tr></table></div>"
            "<div class=\"card\"><h2>常见问题</h2><ol><li>充值未到账怎么办？</li><li>如何找回账号密码？</li>"
            "<li>如何修改实名认证信息？</li><li>礼包码在哪里使用？</li></ol></div>"
            "<p class=\"muted foot\">我们将在24小时内回复您的留言</p>";
    return document("客服中心", body, ".ways td { text-align: left; border: none; border-bottom: 1px solid #EEE; } .ways td.k { color: #999; width: 90px; }");
}

std::string chatbot() {
    std::string body = "<p class=\"muted foot\">智能客服为您服务</p>"
                       "<div class=\"bot\"><span class=\"bubble\">您好，请问有什么可以帮您？</span></div>"
                       "<div class=\"bot\"><span class=\"bubble\">猜您想问：<br>1. 充值未到账<br>2. 账号被封禁<br>"
                       "3. 忘记密码</span></div>"
                       "<div class=\"me\"><span class=\"mine\">充值未到账</span></div>"
                       "<div class=\"bot\"><span class=\"bubble\">请提供订单号，客服将在10分钟内为您核实。</span></div>";
    return document("智能客服", body,
                    "body { background: #EDEDED; }"
                    ".bot { margin: 12px; } .me { margin: 12px; text-align: right; }"
                    ".bubble { display: inline-block; background: #fff; border-radius: 8px; padding: 8px 12px; }"
                    ".mine { display: inline-block; background: #95EC69; border-radius: 8px; padding: 8px 12px; }");
}

std::string taskRecord() {
    static const char* rows[][3] = {{"05-01", "每日登录", "+10"}, {"04-30", "分享游戏", "+20"}, {"04-30", "每日登录", "+10"}};
    std::string body = head("任务记录", "近30天完成的任务");
    body += "<div class=\"card\"><table><tr><th>日期</th><th>任务</th><th>平台币</th></tr>";
    for (const auto& row : rows)
        body += std::string("<tr><td>") + row[0] + "</td><td>" + row[1] + "</td><td>" + row[2] + "</td></tr>";
    body += "</table></div>";
    return document("任务记录", body);
}

std::string tasks(bool signOk, const std::string& recordURL) {
    struct Task {
        const char* name;
        const char* reward;
        bool done;
    };
    const Task list[] = {{"每日登录游戏", "+10 平台币", true}, {"在线满30分钟", "+20 平台币", false},
                         {"分享游戏给好友", "+20 平台币", false}, {"单日充值满6元", "+50 平台币", false}};
    // A page opened with a forged or stale sign shows nobody's tasks.
    if (!signOk)
        return document("每日任务", head("每日任务", "完成任务领取平台币，每日0点刷新") +
                                        "<div class=\"card\"><p>链接已失效，请从游戏内重新打开任务页</p></div>");
    std::string body = head("每日任务", "完成任务领取平台币，每日0点刷新");
    body += "<div class=\"card\">";
    for (const auto& task : list)
        body += std::string("<div class=\"task\"><span class=\"") + (task.done ? "done\">已完成" : "go\">去完成") +
                "</span><b>" + task.name + "</b><br><span class=\"reward\">" + task.reward + "</span></div>";
    body += "</div><div class=\"card\"><a href=\"" + escaped(recordURL) + "\">任务记录</a></div>"
            "<a class=\"button\" href=\"vorlix://rw\">打开游戏盒子</a>";
    return document("每日任务", body,
                    ".task { border-bottom: 1px solid #EEE; padding: 8px 0; } .reward { color: #FF6A00; font-size: 13px; }"
                    ".go, .done { float: right; margin-top: 10px; border-radius: 14px; padding: 0 12px; font-size: 13px; }"
                    ".go { border: 1px solid #6036E7; color: #6036E7; } .done { border: 1px solid #CCC; color: #999; }");
}

std::string message(const std::string& title, const std::string& time, const std::string& content) {
    std::string body = head(escaped(title), escaped(time));
    body += "<div class=\"card\"><p>" + escaped(content) + "</p><p class=\"muted\">—— 平台运营团队</p></div>";
    return document(escaped(title), body);
}

std::string article(const std::string& title, const std::string& date) {
    std::string body = head(escaped(title), "发布时间：" + escaped(date));
    body += "<div class=\"card\"><p>本文由平台发布，内容以游戏内为准。</p>"
            "<p>新手期建议先完成主线任务，解锁日常玩法后再参加限时活动，奖励更丰厚。</p></div>";
    return document(escaped(title), body);
}

std::string cashier(long order, const std::string& product, const std::string& amount, const std::string& confirmURL,
                    bool wechat) {
    std::string colour = wechat ? "#07C160" : "#1677FF";
    std::string body = "<div class=\"pay\"><p class=\"label\">支付金额</p><p class=\"amount\">￥" + escaped(amount) +
                       "</p><p class=\"label\">" + (wechat ? "微信支付" : "支付宝") + "</p></div>"
                       "<div class=\"card\"><table class=\"rows\"><tr><td class=\"k\">商品</td><td>" + escaped(product) +
                       "</td></tr><tr><td class=\"k\">金额</td><td>" + escaped(amount) + "元</td></tr>"
                       "<tr><td class=\"k\">订单号</td><td>" + std::to_string(order) + "</td></tr>"
                       "</table></div>"
                       "<a id=\"confirm\" class=\"button\" href=\"" + escaped(confirmURL) + "\">确认支付</a>";
    return document("收银台", body,
                    ".pay { background: " + colour + "; color: #fff; text-align: center; padding: 18px 0 14px; }"
                    ".pay p { margin: 0; } .amount { font-size: 34px; font-weight: bold; line-height: 1.3; }"
                    ".label { font-size: 13px; } .rows td { border: none; text-align: right; }"
                    ".rows td.k { text-align: left; color: #999; } a.button { background: " + colour + "; }");
}

std::string paid(long order) {
    std::string body = "<div class=\"done\"><p class=\"mark\">✓</p><h1>支付完成</h1><p>订单 " + std::to_string(order) +
                       "</p><p class=\"muted\">请返回游戏查看到账情况</p></div>";
    return document("支付完成", body,
                    ".done { text-align: center; padding-top: 40px; } .done h1 { font-size: 22px; margin: 8px 0; }"
                    ".mark { display: inline-block; width: 64px; height: 64px; border-radius: 32px; background: #07C160;"
                    " color: #fff; font-size: 40px; line-height: 64px; margin: 0; }");
}

std::string wrongReferer() {
    return document("微信支付", "<div class=\"card\" style=\"text-align:center\"><h2>商家参数格式有误</h2>"
                                "<p class=\"muted\">请返回商家页面重新发起支付</p></div>");
}

std::string noOrder() {
    return document("订单不存在", "<div class=\"card\" style=\"text-align:center\"><h2>订单不存在</h2>"
                                 "<p class=\"muted\">订单已取消或已过期，请返回游戏重新下单</p></div>");
}

} // namespace vx::server::pages
