#pragma once
// The platform's web pages and pictures as the stand-in serves them: HTML with styles of its own
// for a phone's web view (the agreements, the task and service tabs, title levels, the chatbot,
// messages, articles, the cashier pages), and the heads and badges its comment rows point at. Text
// put into a page from outside (a product name) is escaped.

#include <map>
#include <string>
#include <utility>

namespace cg {
class Context;
}

namespace vx::server::pages {

// The picture drawn in the bitmap context, as PNG bytes ("" when it cannot be encoded).
std::string pngBytes(cg::Context& context);

// Paths and PNG bytes of the pictures: "/pic/avatar.png", "/pic/vip.png", "/pic/paid.png".
std::map<std::string, std::pair<std::string, std::string>> pictures();

std::string agreement();     // "用户协议": headings and numbered clauses
std::string antiAddiction(); // "防沉迷系统详情": the hours and the payment limits by age
std::string titleLevels();   // "用户头衔等级说明": the VIP table
std::string service();       // "客服中心": hours and the ways to reach the service
std::string chatbot();       // "智能客服"
std::string taskRecord();    // "任务记录"
// "每日任务": tasks with rewards, the box link ("vorlix://rw") and the record link; without
// `signOk` (the address was not signed right) only a note that the link no longer works.
std::string tasks(bool signOk, const std::string& recordURL);
std::string message(const std::string& title, const std::string& time, const std::string& content);
std::string article(const std::string& title, const std::string& date);

// The cashier of an order ("收银台"): product, amount, and the link that confirms the payment.
std::string cashier(long order, const std::string& product, const std::string& amount, const std::string& confirmURL,
                    bool wechat);
// What the official WeChat page shows a load that did not come from the app (no or another Referer).
std::string wrongReferer();
std::string paid(long order); // "支付完成"
std::string noOrder();        // "订单不存在"

} // namespace vx::server::pages
