#pragma once
// The platform's account operations. Each builds its parameters from its arguments and the shared
// state, sends them to one path, reads the reply's status key with its integer value (1 is success)
// and calls exactly one block on the main queue — except the fire-and-forget reports.

#include "platform_sdk/VXBaseResponse.h"

#include <functional>
#include <string>

namespace VXLoginAPI {

using Text = std::optional<std::string>;
using MessageFailure = std::function<void(const ns::Value& message)>;
using CodedFailure = std::function<void(const ns::Value& message, const ns::Value& code)>;
template <class Model> using Success = std::function<void(const ns::Ref<Model>& result)>;

void LonginWithUsername(const Text& userName, const Text& password, Success<LoginResult> success, CodedFailure failed);
void doPhoneYzmLoginWithNumber(const Text& phone, const Text& code, Success<LoginResult> success, CodedFailure failed);
void registerNewWithUsername(const Text& userName, const Text& password, Success<RegisterResult> success,
                             MessageFailure failed);
void getSdkCodeWithNumber(const Text& phone, const Text& userName, const Text& type, Success<VXBaseResponse> success,
                          MessageFailure failed);
void postRealNameToServerWithRealName(const Text& realName, const Text& idNumber, Success<rzResult> success,
                                      MessageFailure failed);
void GetNoticeWithSuccess(Success<GetNotice> success, CodedFailure failed);
// Fire and forget: any reply clears the stored user name, if it is still the one logged out.
void LonginOutSendToService();
void SetRoleInfoWithInfoDic(const ns::Value& info, std::function<void()> success, MessageFailure failed);
// Logs the reply; status -2 hands the reply's "b" to the block.
void doUploadUserOlineTimeBlock(std::function<void(const ns::Value& message)> block);
void doNoPwdLoginWithSuccess(Success<LoginResult> success, CodedFailure failed);
// Keeps (name, password) pairs under "VX_accounts", the model's name last.
void userLoginInfoWriteToLocal(const ns::Ref<LoginResult>& result);

} // namespace VXLoginAPI
