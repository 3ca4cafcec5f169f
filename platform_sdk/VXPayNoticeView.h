#pragma once
// The card laid over the game to show a payment's state and to end it: back to the game, or on to
// the box page. Loaded from the nib "VXPayNoticeView" of the SDK bundle.

#include "os/foundation/Error.h"
#include "os/uikit/Button.h"
#include "os/uikit/Label.h"

#include <functional>

class VXPayNoticeView;
using VXPayNoticeViewRef = ns::Ref<VXPayNoticeView>;

class VXPayNoticeView : public ui::View {
public:
    using Block = std::function<void(const ns::Ref<ns::Error>& error, const std::optional<std::string>& status)>;

    // A fresh notice from its nib.
    static VXPayNoticeViewRef load();

    ns::Ref<ns::Error> payError;          // nil when the payment counts as done
    std::optional<std::string> payStatus; // handed back on a button
    ns::Weak<ui::Label> statusL;
    Block goToGameBlock;
    Block goToApplyBlock;

    void awakeFromNib() override;
    // Back to the game: removes the notice first, then calls the block (only when one is set).
    void doCancel(const ui::ButtonRef& sender);
    // The second button: calls the block and leaves the removal to it (only when one is set).
    void doGo(const ui::ButtonRef& sender);
};

// The nib builder (VXPayNoticeView.layout.cpp); load() registers it on first use.
void registerVXPayNoticeViewNib();
