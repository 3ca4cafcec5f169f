#pragma once
// What the comment list and the thread page share: the comment models of a page reply, and the
// dropdown menu's looks.

#include "os/foundation/Value.h"
#include "platform_sdk/user_center/VXPingModel.h"
#include "widgets/VXDropdownMenu.h"

namespace VXPingList {

// One model object per row dictionary, as the list's row values.
template <class T> ns::Array models(const ns::Array& rows) {
    ns::Array out;
    for (auto& model : VXKeyValue::vx_objectArrayWithKeyValuesArray<T>(ns::Value(rows))) out.push_back(ns::Value(model));
    return out;
}

// The sort and source menus: bold 12 dark-grey title inset 15 from the left, the 15 pt arrow,
// options in 12 pt dark grey, centred, 30 pt high, with the given background and separator.
void styleMenu(const VXDropdownMenuRef& menu, const ui::ColorRef& optionBackground, const ui::ColorRef& optionLine);

} // namespace VXPingList
