#pragma once
// The floating button kept over the game after a login: parked half hidden at a screen edge,
// dragged freely and snapped back to the nearest edge; a tap opens the user centre. It also runs
// the online-time timer of the anti-addiction regime.

#include "os/dispatch/TimerSource.h"
#include "os/uikit/Button.h"
#include "platform_sdk/VXBaseResponse.h"

#include <functional>

class CXRHelperBtn;
using CXRHelperBtnRef = ns::Ref<CXRHelperBtn>;

class CXRHelperBtn : public ui::Button {
public:
    // Directions of a snap.
    enum Direction : int { Left = 0, Top = 1, Right = 2, Bottom = 3, None = 4 };

    // The login failure callback of the login window: (message, code).
    using Failed = std::function<void(const ns::Value& message, const ns::Value& code)>;
    // Opens the user centre full screen over the top window; `logout` is what its logout runs.
    // Answers false when there is no window to show it on. The user centre installs it.
    using UserCentreOpener = std::function<bool(std::function<void()> logout)>;
    static UserCentreOpener& userCentreOpener();

    // The shared button, made on first use and laid on the top window of that moment.
    static CXRHelperBtnRef shared();
    static void show();
    static void hide();

    // 0 docked at an edge (half outside), 1 fully on screen. Setting it runs the pull-in step.
    int status() const { return status_; }
    void setStatus(int status);
    int btnAnimations() const { return btnAnimations_; }
    int screenFlag() const { return screenFlag_; }
    bool isMoving() const { return isMoving_; }
    int touchCount() const { return touchCount_; }
    // The running online-time timer; a null handle when none runs.
    const dispatch::TimerSource& timer() const { return timer_; }
    void setTimer(dispatch::TimerSource timer) { timer_ = std::move(timer); }
    const Failed& FailedBlock() const { return failed_; }
    void setFailedBlock(Failed block) { failed_ = std::move(block); }
    const ns::Ref<LoginResult>& loginData() const { return loginData_; }
    void setLoginData(ns::Ref<LoginResult> data) { loginData_ = std::move(data); }

    // Starts the online-time timer (a running one is cancelled first).
    void startTimer();
    // Cancels the online-time timer and forgets it.
    void stopTimer();
    // Touch-up-inside: a tap opens the user centre, the end of a drag snaps.
    void endDo();
    void doShowHelperVC();

    void touchesMoved(const ui::TouchSet& touches, const ui::EventRef& event) override;
    int checkingDirection() const;
    void startAnimation(int direction);
    void recordScreenStatus();
    void moveWhenTouchToChangesStatus();
    void starMoveToCenter(cg::Point point);

private:
    void setUp();
    void requestTimer();
    void showLook(const char* image, ui::EdgeInsets insets, double alpha);
    // Touch-up-outside and cancel: a drag still ends with a snap, a tap opens nothing.
    void endDrag();

    double keyWindowWidth_ = 0;
    double keyWindowHeight_ = 0;
    double angle_ = 0;
    int status_ = 0;
    int btnAnimations_ = None;
    int screenFlag_ = 0;
    bool isMoving_ = false;
    int touchCount_ = 0;
    dispatch::TimerSource timer_;
    Failed failed_;
    ns::Ref<LoginResult> loginData_;
};
