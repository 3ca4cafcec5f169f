#include "platform_sdk/VXBaseResponse.h"

namespace {
template <class T> ns::Ref<T> make() { return std::make_shared<T>(); }
} // namespace

ns::Ref<VXBaseResponse> VXBaseResponse::responseWithDic(const ns::Value&) { return make<VXBaseResponse>(); }

ns::Ref<LoginResult> LoginResult::responseWithDic(const ns::Value& d) {
    auto r = make<LoginResult>();
    r->code = d["z"], r->userName = d["b"], r->urserPwd = d["c"], r->sign = d["d"], r->sinceTime = d["e"];
    r->mesage = d["x"], r->sid = d["sid"], r->rz = d["rz"], r->isCancel = d["ic"], r->isck = d["isck"];
    r->isMustRZ = d["frz"].boolValue(), r->rzStatus = d["nrz"], r->lmitTime = d["lmit"];
    return r;
}

ns::Ref<RegisterResult> RegisterResult::responseWithDic(const ns::Value& d) {
    auto r = make<RegisterResult>();
    r->code = d["z"], r->userName = d["b"], r->userPwd = d["c"], r->mesage = d["d"];
    return r;
}

ns::Ref<rzResult> rzResult::responseWithDic(const ns::Value& d) {
    auto r = make<rzResult>();
    r->code = d["z"], r->mesage = d["b"], r->isMustRZ = d["frz"].boolValue(), r->rzStatus = d["nrz"];
    r->lmitTime = d["lmit"];
    return r;
}

ns::Ref<GetNotice> GetNotice::responseWithDic(const ns::Value& d) {
    auto r = make<GetNotice>();
    const ns::Value& data = d["data"];
    r->code = d["code"], r->content = data["content"], r->status = data["status"].description();
    r->mesage = d["msg"], r->noticeId = data["id"];
    return r;
}

ns::Ref<GetMyPtbResult> GetMyPtbResult::responseWithDic(const ns::Value& d) {
    auto r = make<GetMyPtbResult>();
    r->code = d["z"], r->ptb = d["b"], r->mesage = d["c"];
    return r;
}

ns::Ref<PtbPay> PtbPay::responseWithDic(const ns::Value& d) {
    auto r = make<PtbPay>();
    r->code = d["z"], r->orderID = d["b"], r->mesage = d["c"];
    return r;
}

ns::Ref<DiscountPayWay> DiscountPayWay::responseWithDic(const ns::Value& d) {
    auto r = make<DiscountPayWay>();
    r->code = d["z"], r->orderID = d["b"], r->mesage = d["c"];
    return r;
}

ns::Ref<GetMyDiscountResult> GetMyDiscountResult::responseWithDic(const ns::Value& d) {
    auto r = make<GetMyDiscountResult>();
    r->code = d["z"], r->discountNum = d["b"], r->mesage = d["c"];
    return r;
}

ns::Ref<HelpQQAndTel> HelpQQAndTel::responseWithDic(const ns::Value& d) {
    auto r = make<HelpQQAndTel>();
    const ns::Value& data = d["data"];
    r->TEL = data["z"], r->QQ = data["b"], r->ttbRate = data["c"], r->mesage = data["d"], r->libaoShow = data["e"];
    return r;
}

ns::Ref<NotifyServer> NotifyServer::responseWithDic(const ns::Value& d) {
    auto r = make<NotifyServer>();
    r->messge = d["b"], r->code = d["z"], r->url = d["c"];
    return r;
}

ns::Ref<WalletInfo> WalletInfo::responseWithDic(const ns::Value& d) {
    auto r = make<WalletInfo>();
    r->signStr = d["c"];
    return r;
}

namespace {
ns::Ref<OrderRecords> orderItem(const ns::Value& e) {
    auto item = make<OrderRecords>();
    item->orderID = e["z"], item->amount = e["b"], item->Paytype = e["paytype"];
    item->creatSinceTime = e["create_time"], item->creatTime = e["d"];
    return item;
}
} // namespace

ns::Ref<OrderRecords> OrderRecords::responseWithDic(const ns::Value& d) {
    auto r = make<OrderRecords>();
    if (const ns::Array* list = d["data"].arrayPtr()) {
        std::vector<ns::Ref<OrderRecords>> items;
        for (const auto& e : *list) items.push_back(orderItem(e));
        r->dataArray = std::move(items);
    }
    return r;
}

ns::Ref<LoginOut> LoginOut::responseWithDic(const ns::Value& d) {
    auto r = make<LoginOut>();
    r->code = d["z"], r->mesage = d["b"];
    return r;
}

ns::Ref<QuickPay> QuickPay::responseWithDic(const ns::Value& d) {
    auto r = make<QuickPay>();
    r->code = d["z"], r->url = d["b"], r->mesage = d["c"], r->orderID = d["d"];
    return r;
}

ns::Ref<GameDetail> GameDetail::responseWithDic(const ns::Value& d) {
    auto r = make<GameDetail>();
    const ns::Value& data = d["data"];
    r->iconURL = data["z"], r->desc = data["b"], r->downLoadURL = data["e"], r->gameName = data["f"];
    return r;
}

ns::Ref<WeiXinInfo> WeiXinInfo::responseWithDic(const ns::Value& d) {
    auto r = make<WeiXinInfo>();
    const ns::Value& data = d["data"];
    r->appid = data["appid"], r->noncestr = data["noncestr"], r->package = data["package"];
    r->partnerid = data["partnerid"], r->prepayid = data["prepayid"], r->sign = data["sign"];
    r->timestamp = data["timestamp"].description();
    return r;
}

ns::Ref<PayWay> PayWay::responseWithDic(const ns::Value& d) {
    auto r = make<PayWay>();
    r->code = d["code"], r->mesage = d["msg"];
    if (const ns::Array* list = d["data"].arrayPtr()) {
        std::vector<ns::Ref<PayWay>> items;
        for (const auto& e : *list) {
            auto item = make<PayWay>();
            item->code = e["z"], item->mesage = e["b"];
            items.push_back(item);
        }
        r->data = std::move(items);
    }
    return r;
}
