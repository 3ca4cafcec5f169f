#pragma once
// A vertical list of sections and rows filled by a data source (held weakly), with heights and
// selection decided by a delegate (held weakly; it is also the scroll view's delegate).
//
// Cells come from a reuse pool per identifier: cells that scroll out or are reloaded go back to
// it; dequeue hands one out again (after prepareForReuse) or makes a new one from the nib (whose
// loader calls awakeFromNib, once per cell) or the class registered for the identifier.
//
// Data is read lazily: row counts and heights on the first query or layout after reloadData,
// cells only for the rows that are visible, when the table lays out (visibleCells, cellForRow and
// the other queries lay out first when needed).
//
// Row heights: the delegate's heightForRow when it implements it, else rowHeight. A height of
// AutomaticDimension is measured from the cell itself: its sizeThatFits at the table's width,
// asked when the row's cell is first made; until then the row counts estimatedRowHeight (44 when
// no estimate is set). Section headers and footers: the delegate's height, else the table's
// section height, else (automatic) 28 points when the section has a title or a view, else none.

#include "os/uikit/IndexPath.h"
#include "os/uikit/ScrollView.h"
#include "os/uikit/TableViewCell.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Nib;
class TableView;
using TableViewRef = ns::Ref<TableView>;

inline constexpr double TableViewAutomaticDimension = -1;

enum class TableViewStyle : int { Plain = 0, Grouped = 1 };
enum class TableViewCellSeparatorStyle : int { None = 0, SingleLine = 1, SingleLineEtched = 2 };
enum class TableViewScrollPosition : int { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation : int {
    Fade = 0, Right = 1, Left = 2, Top = 3, Bottom = 4, None = 5, Middle = 6, Automatic = 100,
};

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual long numberOfSections(const TableViewRef& /*table*/) { return 1; }
    virtual long numberOfRows(const TableViewRef& table, long section) = 0;
    // Must answer a cell (usually dequeued); none raises.
    virtual TableViewCellRef cellForRow(const TableViewRef& table, const IndexPath& indexPath) = 0;
    virtual std::optional<std::string> titleForHeader(const TableViewRef& /*table*/, long /*section*/) { return std::nullopt; }
    virtual std::optional<std::string> titleForFooter(const TableViewRef& /*table*/, long /*section*/) { return std::nullopt; }
};

// Hooks answering nullopt or none are "not implemented": the table's own values apply.
class TableViewDelegate : public virtual ScrollViewDelegate {
public:
    virtual std::optional<double> heightForRow(const TableViewRef& /*table*/, const IndexPath& /*indexPath*/) {
        return std::nullopt;
    }
    virtual void willDisplayCell(const TableViewRef& /*table*/, const TableViewCellRef& /*cell*/, const IndexPath& /*indexPath*/) {}
    virtual void didSelectRow(const TableViewRef& /*table*/, const IndexPath& /*indexPath*/) {}
    virtual void didDeselectRow(const TableViewRef& /*table*/, const IndexPath& /*indexPath*/) {}
    virtual ViewRef viewForHeader(const TableViewRef& /*table*/, long /*section*/) { return nullptr; }
    virtual std::optional<double> heightForHeader(const TableViewRef& /*table*/, long /*section*/) { return std::nullopt; }
    virtual ViewRef viewForFooter(const TableViewRef& /*table*/, long /*section*/) { return nullptr; }
    virtual std::optional<double> heightForFooter(const TableViewRef& /*table*/, long /*section*/) { return std::nullopt; }
};

class TableView : public ScrollView {
public:
    using CellFactory = std::function<TableViewCellRef(const std::string& reuseIdentifier)>;

    static TableViewRef withStyle(cg::Rect frame, TableViewStyle style);
    void initWithFrame(cg::Rect frame) override; // plain

    TableViewStyle style() const { return style_; }
    ns::Weak<TableViewDataSource> dataSource() const { return dataSource_; }
    void setDataSource(ns::Weak<TableViewDataSource> dataSource);
    ns::Weak<TableViewDelegate> delegate() const { return delegate_; }
    void setDelegate(ns::Weak<TableViewDelegate> delegate);

    // --- Rows and decoration ---
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    double estimatedRowHeight() const { return estimatedRowHeight_; }
    void setEstimatedRowHeight(double height);
    double sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(double height);
    double sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(double height);
    TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(TableViewCellSeparatorStyle style) { separatorStyle_ = style; }
    ColorRef separatorColor() const { return separatorColor_; }
    void setSeparatorColor(ColorRef color) { separatorColor_ = std::move(color); }
    // Above the first section and below the last, at the table's width and their own height.
    ViewRef tableHeaderView() const { return tableHeaderView_; }
    void setTableHeaderView(const ViewRef& view);
    ViewRef tableFooterView() const { return tableFooterView_; }
    void setTableFooterView(const ViewRef& view);
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }

    // --- Cells ---
    // The nib must hold a cell among its top-level objects.
    void registerNib(const ns::Ref<Nib>& nib, const std::string& identifier);
    void registerClass(CellFactory factory, const std::string& identifier);
    template <class T> void registerClass(const std::string& identifier) {
        registerClass([](const std::string& id) -> TableViewCellRef {
            return TableViewCell::create<T>(TableViewCellStyle::Default, id);
        }, identifier);
    }
    // A pooled cell, else a new one from the registration, else none.
    TableViewCellRef dequeueReusableCell(const std::string& identifier);
    // The same, sized to the row; raises when nothing is registered for the identifier.
    TableViewCellRef dequeueReusableCell(const std::string& identifier, const IndexPath& indexPath);

    // --- Reloading ---
    // Forgets counts, heights, cells and selection; everything is asked again on next use.
    void reloadData();
    // Replaces the rows' cells with fresh ones from the data source at once (the animation is
    // recorded only). Row counts must not have changed.
    void reloadRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
    // The data source must already count the new rows (or no longer count the deleted ones).
    void insertRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
    void deleteRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
    TableViewRowAnimation lastRowAnimation() const { return lastAnimation_; }

    // --- Queries ---
    long numberOfSections();
    long numberOfRows(long section);
    cg::Rect rectForRow(const IndexPath& indexPath);
    cg::Rect rectForHeader(long section);
    cg::Rect rectForFooter(long section);
    std::optional<IndexPath> indexPathForRow(cg::Point point);
    std::vector<TableViewCellRef> visibleCells();
    std::vector<IndexPath> indexPathsForVisibleRows();
    // The visible cell of the row, or none.
    TableViewCellRef cellForRow(const IndexPath& indexPath);
    std::optional<IndexPath> indexPathForCell(const TableViewCell* cell);
    ViewRef headerView(long section);
    ViewRef footerView(long section);

    // --- Selection ---
    std::optional<IndexPath> indexPathForSelectedRow() const { return selected_; }
    // In code: no delegate calls.
    void selectRow(const std::optional<IndexPath>& indexPath, bool animated, TableViewScrollPosition position);
    void deselectRow(const IndexPath& indexPath, bool animated);
    // What a tap on the row does: the previous row is deselected (didDeselectRow), this one
    // selected (didSelectRow). Ignored when selection is off or the row does not exist.
    void userSelectRow(const IndexPath& indexPath);

    // --- Scrolling ---
    void scrollToRow(const IndexPath& indexPath, TableViewScrollPosition position, bool animated);

    void layoutSubviews() override;
    void touchesEnded(const TouchSet& touches, const EventRef& event) override;

protected:
    void contentOffsetDidChange() override;

private:
    struct Section {
        double header = 0, footer = 0;
        std::vector<double> heights;
        std::vector<bool> measured; // automatic rows whose cell has given its height
        std::vector<bool> automatic;
        double y = 0;               // top of the header
        std::vector<double> rowY;
    };
    struct Registration {
        ns::Ref<Nib> nib;
        CellFactory factory;
    };

    std::shared_ptr<TableViewDataSource> liveDataSource() const { return dataSource_.lock(); }
    std::shared_ptr<TableViewDelegate> liveDelegate() const { return delegate_.lock(); }
    void ensureData();
    Section loadSection(long section);
    void loadRowHeight(Section& s, long section, long row);
    double automaticRowEstimate() const;
    void recomputeGeometry();
    bool validPath(const IndexPath& p) const;
    TableViewCellRef makeCell(const IndexPath& indexPath);
    void enqueue(const TableViewCellRef& cell);
    void tile();
    void placeSectionViews();
    void invalidate();
    void checkRowCounts(const char* operation, const std::map<long, long>& expectedDelta);

    TableViewStyle style_ = TableViewStyle::Plain;
    ns::Weak<TableViewDataSource> dataSource_;
    ns::Weak<TableViewDelegate> delegate_;
    double rowHeight_ = 44;
    double estimatedRowHeight_ = 0;
    double sectionHeaderHeight_ = TableViewAutomaticDimension;
    double sectionFooterHeight_ = TableViewAutomaticDimension;
    TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
    ColorRef separatorColor_;
    ViewRef tableHeaderView_;
    ViewRef tableFooterView_;
    bool allowsSelection_ = true;
    TableViewRowAnimation lastAnimation_ = TableViewRowAnimation::Automatic;

    std::map<std::string, Registration> registrations_;
    std::map<std::string, std::vector<TableViewCellRef>> pool_;
    bool needsReload_ = true;
    std::vector<Section> sections_;
    double contentHeight_ = 0;
    double geometryWidth_ = 0; // the width the heights were worked out at
    std::map<IndexPath, TableViewCellRef> visible_;
    std::map<long, ViewRef> headerViews_, footerViews_;
    std::optional<IndexPath> selected_;
    bool tiling_ = false;
};

} // namespace ui
