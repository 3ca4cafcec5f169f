#pragma once
// The notice that covers the game once the day's online time is used up; it cannot be closed.

#include "os/uikit/View.h"

class VXGameOverView : public ui::View {
public:
    void initWithFrame(cg::Rect frame) override;

private:
    void _initUI();
};

