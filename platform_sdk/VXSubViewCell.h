#pragma once
// A row of the sub-account picker: the nickname and the "last used" marker.

#include "os/uikit/Label.h"
#include "os/uikit/TableViewCell.h"

class VXSubViewCell : public ui::TableViewCell {
public:
    static void registerInterfaceFile();

    ns::Weak<ui::Label> nameL, lastL;
};
using VXSubViewCellRef = ns::Ref<VXSubViewCell>;
