#pragma once
// The platform's notice after login: a read-only text and a close button, over the dimmed game.

#include "os/uikit/TextView.h"
#include "os/uikit/ViewController.h"

#include <functional>

class VXNoticeVC;
using VXNoticeVCRef = ns::Ref<VXNoticeVC>;

class VXNoticeVC : public ui::ViewController {
public:
    // A new screen from the scene "VXNoticeVC" of the storyboard "VXUserShow".
    static VXNoticeVCRef instantiate();
    static void registerInterfaceFile();

    ns::Weak<ui::TextView> textView;
    std::function<void(const VXNoticeVCRef& notice)> noticeHiddenBlock;

    void viewDidLoad() override;
    void doCloseBtnClick();
};
