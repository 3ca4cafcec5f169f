#pragma once
// The SMS-code request of the phone-login and password-reset panels, with the 30 s countdown on
// the code button. The button is disabled while the request is out, so quick taps send one request.

#include "widgets/VXCountDownButton.h"

#include <optional>
#include <string>

namespace VXCodeRequest {

// Sends the code request for the phone with the type ("8" phone login, "5" reset) and the empty
// user name; toasts on `panel`. The blocks hold the button and the panel weakly.
void send(const VXCountDownButtonRef& button, const std::optional<std::string>& phone, const std::string& type,
          const ui::ViewRef& panel);

} // namespace VXCodeRequest
