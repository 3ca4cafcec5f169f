#pragma once
// Login panel handing over to the platform's box app (no step of the login window places it).

#include "os/uikit/View.h"

class VXQuickLoginView;
using VXQuickLoginViewRef = ns::Ref<VXQuickLoginView>;

class VXQuickLoginView : public ui::View {
public:
    static VXQuickLoginViewRef fromXib();
    static void registerInterfaceFile();

    // Opens the box app's quick login when it is installed, else the box page for the channel.
    void doBtnClick();
};
