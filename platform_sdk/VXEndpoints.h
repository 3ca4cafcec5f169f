#pragma once
// The endpoint table of the platform API server. The API host is a configuration value of the app
// bundle (Info.plist "VXPlatformAPIHost", e.g. "http://127.0.0.1:8080"); the base URL, the box page
// and the Referer are formed from it.

#include <string>

namespace VXEndpoints {

inline constexpr const char* SDKVersion = "V2.71";
inline constexpr const char* BoxAppScheme = "brellinBox://";
inline constexpr const char* DefaultAPIHost = "http://sdk.vorlix.cn";

// "http://host[:port]" without a trailing "/".
std::string apiHost();
// apiHost() + "/sdkapicoupon2/"; paths are appended by plain concatenation.
std::string baseURL();
// The host's name followed by "://": the Referer of official WeChat H5 pay pages.
std::string referer();
// apiHost() + "/cdcloud/welcome/box".
std::string boxPageURL();

inline constexpr const char* AddDLLog = "Index/adddllog";
inline constexpr const char* OneRegister = "login/oneRegister";
inline constexpr const char* TelRegister = "Login/telregister";
inline constexpr const char* AutoLogin = "Login/auto_login";
inline constexpr const char* ForgetPassword = "Sdkhome/forgetpassword";
inline constexpr const char* Yzm = "Sdkhome/yzm";
inline constexpr const char* DoLogin = "login/dologin";
inline constexpr const char* Register = "login/register";
inline constexpr const char* IdCheck = "login/idcheck";
inline constexpr const char* GetMsg = "Sdkmsg/getmsg";
inline constexpr const char* SetRole = "User/setRole";
inline constexpr const char* XiaoHao = "login/xiaohao";
inline constexpr const char* MyXiaoHao = "Sdkhome/myxiaohao";
inline constexpr const char* AddXiaoHao = "login/addxiaohao";
inline constexpr const char* Logout = "login/logout";
inline constexpr const char* SetTime = "login/setTime";
inline constexpr const char* SdkHomeIndex = "sdkhome/index";
inline constexpr const char* MyNews = "Mynews/news";
inline constexpr const char* WxH5PtbPay = "Wxh5ptb/wxpay";
inline constexpr const char* WalletWallet = "Wallet/wallet";
inline constexpr const char* EditXiaoHao = "Sdkhome/editxiaohao";
inline constexpr const char* BindTel = "Sdkhome/bdtel";
inline constexpr const char* UnbindTel = "Sdkhome/jiebang";
inline constexpr const char* GetPtbLog = "Userexpand/getptblog";
inline constexpr const char* PayPtbLog = "Userexpand/payptblog";
inline constexpr const char* GetDjqLog = "Sdkhome/getdjqlog";
inline constexpr const char* PayDjqLog = "Sdkhome/paydjqlog";
inline constexpr const char* GetStarCoinLog = "Sdkhome/getstarcoinlog";
inline constexpr const char* PayStarCoinLog = "Sdkhome/paystarcoinlog";
inline constexpr const char* BookingList = "Sdkhome/bookinglist";
inline constexpr const char* MyBookingList = "Sdkhome/mybookinglist";
inline constexpr const char* CouponLists = "Sdkdetail/couponlists";
inline constexpr const char* MyCoupon = "Sdkhome/mycoupon";
inline constexpr const char* GetCoupon = "Sdkdetail/getcoupon";
inline constexpr const char* GetCouponAll = "Sdkdetail/getcouponall";
inline constexpr const char* Fuli = "Sdkdetail/fuli";
inline constexpr const char* GameActivity = "Sdkdetail/gameActivity";
inline constexpr const char* Card = "Sdkdetail/card";
inline constexpr const char* CardReceive = "Card/receive";
inline constexpr const char* ServerLists = "Server/lists2";
inline constexpr const char* GongLue = "Sdkdetail/gonglue";
inline constexpr const char* CommentsGet = "Sdkcomments/get";
inline constexpr const char* CommentsList = "Sdkcomments/listscomments";
inline constexpr const char* CommentsCommit = "Sdkcomments/commit";
inline constexpr const char* CommentsGood = "Sdkcomments/good";
inline constexpr const char* ListNews = "Mynews/listnews";
inline constexpr const char* PayGetCoupons = "pay/getcoupons";
inline constexpr const char* PayWayIos = "pay/getPayWayios";
inline constexpr const char* GetDJQ = "Ttbpay/getDJQ";
inline constexpr const char* DjqPay = "Ttbpaynew/djqpay";
inline constexpr const char* StarCoinPay = "Ttbpaynew/starcoinpay";
inline constexpr const char* TtbNew = "Ttbpaynew/ttbnew";
inline constexpr const char* GetTTB = "Ttbpay/getTTB";
inline constexpr const char* GetKefu = "Service/getkefu";
inline constexpr const char* PayRecords = "pay/payRecords";
inline constexpr const char* H5Pay = "H5pay/pay";
inline constexpr const char* WxH5Pay = "wxh5/h5pay";
inline constexpr const char* WxH5OtherPay = "Wxh5other/h5pay";
inline constexpr const char* WalletAppPay = "Walletapp/apppayios";
inline constexpr const char* WalletAppOtherPay = "Walletappother/apppayios";
inline constexpr const char* GetUserSuccess = "Pay/getUserSuccess";
inline constexpr const char* Agreement = "Agreement/xieyi";

} // namespace VXEndpoints
