#pragma once
// The SDK's own answers when a call cannot go on: a code a game can match on, and the text shown
// with it (docs/integration.md lists them).

namespace VXRefusal {

struct Refusal {
    long code;
    const char* message;
    // The code as the screens' failure blocks carry it.
    const char* codeText;
};

inline constexpr Refusal NotLoggedIn{601, "请先登录", "601"};
inline constexpr Refusal OrderOpen{602, "已有订单正在支付", "602"};
inline constexpr Refusal NoPayCentre{603, "无法显示支付中心", "603"};
inline constexpr Refusal NoLoginWindow{603, "无法显示登录窗口", "603"};
inline constexpr Refusal NoUserCentre{603, "无法显示用户中心", "603"};
inline constexpr Refusal BadAmount{604, "金额格式异常", "604"};

} // namespace VXRefusal
