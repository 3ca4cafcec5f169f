#pragma once
// One message of the message centre; "status" is "1" (read as a boolean) once read.

#include "foundation/VXKeyValue.h"
#include "os/foundation/Object.h"

#include <optional>
#include <string>

class VXUserMsgModel : public ns::Object {
public:
    ns::Value msgId; // a number
    std::optional<std::string> status, title, content, addtime, url;

    static void vx_properties(VXKeyValue::Properties<VXUserMsgModel>& p) {
        p.addNumber("msgId", &VXUserMsgModel::msgId).add("status", &VXUserMsgModel::status);
        p.add("title", &VXUserMsgModel::title).add("content", &VXUserMsgModel::content);
        p.add("addtime", &VXUserMsgModel::addtime).add("url", &VXUserMsgModel::url);
    }
    static ns::Dictionary vx_replacedKeyFromPropertyName() { return {{"msgId", "id"}}; }

    bool isRead() const { return ns::Value(status).boolValue(); }
    // A read request is out for this message.
    bool reading = false;
};
using VXUserMsgModelRef = ns::Ref<VXUserMsgModel>;
