#pragma once
// A row of a table: a content view holding the built-in title, detail and image views (made on
// first use) or a subclass's own views, an accessory, selection and highlight state, and the
// identifier of the reuse pool it returns to. Cells are made two-phase: create<T>(style,
// identifier) constructs T and runs its virtual initWithStyle; a nib makes them with
// View::create<T> and sets the identifier.
//
// sizeThatFits is what a table with automatic row heights asks: by default the built-in title's
// wrapped height plus 11 points above and below (at least 44) when it has text, otherwise the
// cell's current (designed) height. Cells whose height follows their content override it.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"
#include "os/uikit/View.h"

#include <string>

namespace ui {

class TableViewCell;
using TableViewCellRef = ns::Ref<TableViewCell>;

enum class TableViewCellStyle : int { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellSelectionStyle : int { None = 0, Blue = 1, Gray = 2, Default = 3 };
enum class TableViewCellAccessoryType : int {
    None = 0, DisclosureIndicator = 1, DetailDisclosureButton = 2, Checkmark = 3, DetailButton = 4,
};

class TableViewCell : public View {
public:
    template <class T = TableViewCell>
    static ns::Ref<T> create(TableViewCellStyle style = TableViewCellStyle::Default, std::string reuseIdentifier = {}) {
        auto cell = ns::make<T>();
        cell->initWithStyle(style, std::move(reuseIdentifier));
        return cell;
    }
    // 320 × 44, then initWithFrame.
    virtual void initWithStyle(TableViewCellStyle style, std::string reuseIdentifier);
    void initWithFrame(cg::Rect frame) override;

    TableViewCellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }

    // --- Parts ---
    const ViewRef& contentView() const { return contentView_; }
    LabelRef textLabel();
    // None for the default style.
    LabelRef detailTextLabel();
    ImageViewRef imageView();
    TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(TableViewCellAccessoryType type);
    ViewRef accessoryView() const { return accessoryView_; }
    void setAccessoryView(const ViewRef& view);

    // --- State ---
    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { selectionStyle_ = style; }
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted, bool animated = false);

    // Called when the table takes the cell from its reuse pool, before handing it out again.
    // The default clears selection and highlight.
    virtual void prepareForReuse();

    void layoutSubviews() override;
    cg::Size sizeThatFits(cg::Size size) const override;

private:
    double accessoryWidth() const;

    TableViewCellStyle style_ = TableViewCellStyle::Default;
    std::string reuseIdentifier_;
    ViewRef contentView_;
    LabelRef textLabel_;
    LabelRef detailTextLabel_;
    ImageViewRef imageView_;
    TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
    ViewRef accessoryView_;
    TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Default;
    bool selected_ = false;
    bool highlighted_ = false;
};

} // namespace ui
