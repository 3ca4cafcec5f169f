#pragma once
// What text fields and text views share: keyboard and return-key types, their notifications, and
// the UTF-16 step back over one character (an emoji is two units).

#include "os/foundation/Data.h"
#include "os/foundation/Strings.h"

#include <string>
#include <string_view>

namespace ui {

enum class KeyboardType : int {
    Default = 0, ASCIICapable = 1, NumbersAndPunctuation = 2, URL = 3, NumberPad = 4, PhonePad = 5,
    NamePhonePad = 6, EmailAddress = 7, DecimalPad = 8, Twitter = 9, WebSearch = 10, ASCIICapableNumberPad = 11,
};

enum class ReturnKeyType : int {
    Default = 0, Go = 1, Google = 2, Join = 3, Next = 4, Route = 5, Search = 6, Send = 7, Yahoo = 8, Done = 9,
    EmergencyCall = 10, Continue = 11,
};

inline const std::string TextFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline const std::string TextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";
inline const std::string TextFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
inline const std::string TextViewTextDidBeginEditingNotification = "UITextViewTextDidBeginEditingNotification";
inline const std::string TextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";
inline const std::string TextViewTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";

// The UTF-16 range of the character that ends at `location` (empty at the start).
inline ns::Range characterRangeBefore(std::string_view text, size_t location) {
    std::string head = ns::str::utf16SubstringTo(text, location);
    if (head.empty()) return {0, 0};
    size_t i = head.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(head[i]) & 0xC0) == 0x80) --i;
    size_t units = ns::str::utf16Length(std::string_view(head).substr(i));
    size_t end = ns::str::utf16Length(head);
    return {end - units, units};
}

} // namespace ui
