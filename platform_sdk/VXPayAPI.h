#pragma once
// The payment operations: one per order road of the payment centre, the two platform-coin top-ups,
// and the balance and record queries. Each builds its one-letter keys, sends them by the scrambled
// or the form transport and calls exactly one block on the main queue (GetPayWays and the two
// stubs may call none). Order replies succeed on the integer value 1 of their status; query replies
// only on the text "1". Order operations leave nil values out; queries send "" for nil.

#include "platform_sdk/VXBaseResponse.h"

#include <functional>
#include <optional>
#include <string>

namespace VXPayAPI {

using Text = std::optional<std::string>;
using MessageFailure = std::function<void(const ns::Value& message)>;
// The coin family's failure: the message and the reply's "z" as it came (text or number).
using CodedFailure = std::function<void(const ns::Value& message, const ns::Value& code)>;
template <class Model> using Success = std::function<void(const ns::Ref<Model>& result)>;

// The status readers: orders compare the integer value with 1; queries want the text "1".
bool orderSucceeded(const ns::Value& status);
bool querySucceeded(const ns::Value& status);

// --- Top-ups ---
void doBuyPtbByWalletWithMoney(const Text& money, Success<WalletInfo> success, MessageFailure failed);
void doBuyPtbByWxWithMoney(const Text& money, Success<NotifyServer> success, MessageFailure failed);

// --- Orders of the payment centre ---
// Free orders ("z" or "code" 11) fail with the text "11".
void doH5PayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                      const Text& discount, const Text& payType, const Text& roleId, const Text& serverId,
                      const Text& productName, const Text& productDesc, const Text& cpExtend,
                      Success<NotifyServer> success, MessageFailure failed);
// Sent by the form transport to the path given.
void doWalletAppPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                             const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                             const Text& productDesc, const Text& cpExtend, const std::string& url,
                             Success<WalletInfo> success, MessageFailure failed);
// Official WeChat H5: reads "code", "msg" and "data" (the page address).
void doWxPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                      const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                      const Text& productDesc, const Text& cpExtend, const std::string& url,
                      Success<NotifyServer> success, MessageFailure failed);
// The order number is taken and not sent.
void doPtbPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& orderNumber,
                       const Text& discount, const Text& roleId, const Text& serverId, const Text& productName,
                       const Text& productDesc, const Text& cpExtend, Success<PtbPay> success, CodedFailure failed);
void doDjqPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& roleId,
                       const Text& serverId, const Text& productName, const Text& productDesc, const Text& cpExtend,
                       Success<DiscountPayWay> success, CodedFailure failed);
void doStarsPayWithMoney(const Text& money, const Text& realMoney, const Text& cid, const Text& roleId,
                         const Text& serverId, const Text& productName, const Text& productDesc, const Text& cpExtend,
                         Success<DiscountPayWay> success, CodedFailure failed);

// --- Queries (no screen calls them) ---
void GetMyPtbMoneyWithsuccess(Success<GetMyPtbResult> success, MessageFailure failed);
void GetMyDiscountMoneyWithsuccess(Success<GetMyDiscountResult> success, MessageFailure failed);
void GetServiceQQAndPhonesuccess(Success<HelpQQAndTel> success, MessageFailure failed);
void payRecordsWithStatus(const Text& status, const Text& page, Success<OrderRecords> success, MessageFailure failed);
// "d" of the first "data" entry whose "z" is 2; neither block when there is none.
void GetPayWayssuccess(std::function<void(const ns::Value& d)> success, MessageFailure failed);
// Call neither block.
void getGiffCodeForInfoid(const Text& infoId, std::function<void(const ns::Value&)> success, MessageFailure failed);
void GetGamePresentHtmlsuccess(std::function<void(const ns::Value&)> success, MessageFailure failed);

} // namespace VXPayAPI
