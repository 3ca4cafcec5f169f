#pragma once
// A row of the sub-account screen (nib "VXSuSuNameCell"): the name with its "last used" mark, and
// an expand button that shows the role, level and server lines (66 pt collapsed, 96 expanded).

#include "os/uikit/Button.h"
#include "os/uikit/IndexPath.h"
#include "os/uikit/Label.h"
#include "os/uikit/LayoutConstraint.h"
#include "os/uikit/TableViewCell.h"
#include "platform_sdk/user_center/VXSuSubNameModel.h"

#include <functional>

class VXSuSuNameCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::View> titlesView, bgView;
    ns::Weak<ui::Label> nameL, lastL, roleL, levelL, serverL;
    ns::Weak<ui::Button> btn;
    ns::Weak<ui::LayoutConstraint> btnBottom;

    const VXSuSubNameModelRef& model() const { return model_; }
    void setModel(const VXSuSubNameModelRef& model);
    ui::IndexPath indexPath;
    std::function<void(const ui::IndexPath&)> doRefreshBlock;

    void awakeFromNib() override;
    // The expand button: toggles, remembers it in the model, asks for the row to be reloaded.
    void doBtnClick(const ui::ButtonRef& sender);
    void setBtnIsShow(bool show);

    void layoutSubviews() override;
    // The constraint object lives with the cell; the outlet above only points at it.
    ui::LayoutConstraintRef ownedBtnBottom;

private:
    VXSuSubNameModelRef model_;
};
