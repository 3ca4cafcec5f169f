#include "os/uikit/TableView.h"

#include "os/foundation/Error.h"
#include "os/foundation/Format.h"
#include "os/uikit/Label.h"
#include "os/uikit/Nib.h"

#include <algorithm>
#include <set>

namespace ui {
namespace {

constexpr double AutomaticSectionHeight = 28;
constexpr double DefaultEstimate = 44;
// Measuring rows as they appear may move others into view; this bounds the rounds.
constexpr int MaxTilingRounds = 64;

[[noreturn]] void inconsistency(const std::string& reason) {
    throw ns::Exception("NSInternalInconsistencyException", reason);
}

ViewRef titleView(const std::string& title) {
    auto label = View::create<Label>();
    label->setText("    " + title);
    label->setFont(Font::systemFontOfSize(14));
    label->setTextColor(Color::grayColor());
    label->setBackgroundColor(Color::colorWithWhite(0.97, 1));
    return label;
}

} // namespace

TableViewRef TableView::withStyle(cg::Rect frame, TableViewStyle style) {
    auto table = ns::make<TableView>();
    table->style_ = style;
    table->initWithFrame(frame);
    return table;
}

void TableView::initWithFrame(cg::Rect frame) {
    ScrollView::initWithFrame(frame);
    setBackgroundColor(style_ == TableViewStyle::Plain ? Color::whiteColor() : Color::colorWithWhite(0.94, 1));
    separatorColor_ = Color::colorWithWhite(0.78, 1);
}

void TableView::setDataSource(ns::Weak<TableViewDataSource> dataSource) {
    dataSource_ = std::move(dataSource);
    reloadData();
}

void TableView::setDelegate(ns::Weak<TableViewDelegate> delegate) {
    delegate_ = delegate;
    ScrollView::setDelegate(ns::Weak<ScrollViewDelegate>(delegate.lock()));
    invalidate();
}

void TableView::setRowHeight(double height) {
    rowHeight_ = height;
    invalidate();
}

void TableView::setEstimatedRowHeight(double height) {
    estimatedRowHeight_ = height;
    invalidate();
}

void TableView::setSectionHeaderHeight(double height) {
    sectionHeaderHeight_ = height;
    invalidate();
}

void TableView::setSectionFooterHeight(double height) {
    sectionFooterHeight_ = height;
    invalidate();
}

void TableView::setTableHeaderView(const ViewRef& view) {
    if (tableHeaderView_ == view) return;
    if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
    tableHeaderView_ = view;
    if (view) addSubview(view);
    if (!needsReload_) recomputeGeometry();
    setNeedsLayout();
}

void TableView::setTableFooterView(const ViewRef& view) {
    if (tableFooterView_ == view) return;
    if (tableFooterView_) tableFooterView_->removeFromSuperview();
    tableFooterView_ = view;
    if (view) addSubview(view);
    if (!needsReload_) recomputeGeometry();
    setNeedsLayout();
}

// Heights, counts or sources changed: everything is read again on next use; cells stay until
// the next tiling decides which rows they belong to.
void TableView::invalidate() {
    needsReload_ = true;
    setNeedsLayout();
}

// --- Cells ---

void TableView::registerNib(const ns::Ref<Nib>& nib, const std::string& identifier) {
    if (!nib) {
        registrations_.erase(identifier);
        return;
    }
    registrations_[identifier] = {nib, {}};
}

void TableView::registerClass(CellFactory factory, const std::string& identifier) {
    if (!factory) {
        registrations_.erase(identifier);
        return;
    }
    registrations_[identifier] = {nullptr, std::move(factory)};
}

TableViewCellRef TableView::dequeueReusableCell(const std::string& identifier) {
    auto& pooled = pool_[identifier];
    if (!pooled.empty()) {
        auto cell = pooled.back();
        pooled.pop_back();
        cell->prepareForReuse();
        return cell;
    }
    auto it = registrations_.find(identifier);
    if (it == registrations_.end()) return nullptr;
    TableViewCellRef cell;
    if (it->second.nib) {
        for (const auto& object : it->second.nib->instantiateWithOwner(nullptr)) {
            if ((cell = ns::as<TableViewCell>(object))) break;
        }
        if (!cell)
            inconsistency(ns::format("invalid nib registered for identifier (%@) - nib must contain a top level "
                                     "object which must be a table view cell",
                                     identifier));
    } else {
        cell = it->second.factory(identifier);
        if (!cell) inconsistency(ns::format("the class registered for identifier (%@) made no cell", identifier));
    }
    if (cell->reuseIdentifier().empty()) cell->setReuseIdentifier(identifier);
    return cell;
}

TableViewCellRef TableView::dequeueReusableCell(const std::string& identifier, const IndexPath& indexPath) {
    auto cell = dequeueReusableCell(identifier);
    if (!cell)
        inconsistency(ns::format("unable to dequeue a cell with identifier %@ - must register a nib or a class "
                                 "for the identifier",
                                 identifier));
    double height = validPath(indexPath) ? rectForRow(indexPath).size.height : cell->bounds().size.height;
    cg::Rect f = cell->frame();
    cell->setFrame(cg::RectMake(f.origin.x, f.origin.y, bounds().size.width, height));
    return cell;
}

TableViewCellRef TableView::makeCell(const IndexPath& indexPath) {
    auto ds = liveDataSource();
    if (!ds) inconsistency("a table without data source has no rows");
    auto cell = ds->cellForRow(ref<TableView>(), indexPath);
    if (!cell)
        inconsistency(ns::format("the table's data source returned no cell for the row at %@",
                                 indexPath.description()));
    return cell;
}

void TableView::enqueue(const TableViewCellRef& cell) {
    if (!cell) return;
    cell->removeFromSuperview();
    if (!cell->reuseIdentifier().empty()) pool_[cell->reuseIdentifier()].push_back(cell);
}

// --- Data ---

void TableView::ensureData() {
    if (!needsReload_) return;
    needsReload_ = false;
    for (auto* views : {&headerViews_, &footerViews_}) {
        for (auto& [section, view] : *views)
            if (view) view->removeFromSuperview();
        views->clear();
    }
    sections_.clear();
    auto ds = liveDataSource();
    long count = ds ? std::max(0L, ds->numberOfSections(ref<TableView>())) : 0;
    for (long s = 0; s < count; ++s) sections_.push_back(loadSection(s));
    recomputeGeometry();
}

double TableView::automaticRowEstimate() const {
    return estimatedRowHeight_ > 0 ? estimatedRowHeight_ : DefaultEstimate;
}

void TableView::loadRowHeight(Section& s, long section, long row) {
    auto d = liveDelegate();
    std::optional<double> asked = d ? d->heightForRow(ref<TableView>(), IndexPath{section, row}) : std::nullopt;
    double height = asked ? *asked : rowHeight_;
    size_t i = static_cast<size_t>(row);
    s.automatic[i] = height == TableViewAutomaticDimension;
    s.measured[i] = false;
    s.heights[i] = s.automatic[i] ? automaticRowEstimate() : std::max(0.0, height);
}

TableView::Section TableView::loadSection(long section) {
    auto self = ref<TableView>();
    auto ds = liveDataSource();
    auto d = liveDelegate();
    Section s;
    long rows = ds ? std::max(0L, ds->numberOfRows(self, section)) : 0;
    s.heights.assign(static_cast<size_t>(rows), 0);
    s.measured.assign(static_cast<size_t>(rows), false);
    s.automatic.assign(static_cast<size_t>(rows), false);
    for (long r = 0; r < rows; ++r) loadRowHeight(s, section, r);

    auto decoration = [&](bool header) {
        ViewRef view = d ? (header ? d->viewForHeader(self, section) : d->viewForFooter(self, section)) : nullptr;
        if (!view && ds) {
            auto title = header ? ds->titleForHeader(self, section) : ds->titleForFooter(self, section);
            if (title) view = titleView(*title);
        }
        std::optional<double> asked = d ? (header ? d->heightForHeader(self, section) : d->heightForFooter(self, section))
                                        : std::nullopt;
        double fixed = header ? sectionHeaderHeight_ : sectionFooterHeight_;
        double height = asked && *asked >= 0 ? *asked : fixed >= 0 ? fixed : view ? AutomaticSectionHeight : 0;
        if (view) (header ? headerViews_ : footerViews_)[section] = view;
        return height;
    };
    s.header = decoration(true);
    s.footer = decoration(false);
    return s;
}

void TableView::recomputeGeometry() {
    double y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    for (auto& s : sections_) {
        s.y = y;
        y += s.header;
        s.rowY.resize(s.heights.size());
        for (size_t r = 0; r < s.heights.size(); ++r) {
            s.rowY[r] = y;
            y += s.heights[r];
        }
        y += s.footer;
    }
    if (tableFooterView_) y += tableFooterView_->frame().size.height;
    contentHeight_ = y;
    geometryWidth_ = bounds().size.width;
    setContentSize({geometryWidth_, y});
}

bool TableView::validPath(const IndexPath& p) const {
    return !needsReload_ && p.section >= 0 && p.section < static_cast<long>(sections_.size()) && p.row >= 0 &&
           p.row < static_cast<long>(sections_[static_cast<size_t>(p.section)].heights.size());
}

// --- Tiling ---

void TableView::layoutSubviews() {
    ScrollView::layoutSubviews();
    tile();
}

void TableView::contentOffsetDidChange() { setNeedsLayout(); }

void TableView::tile() {
    if (tiling_) return;
    tiling_ = true;
    TableViewRef keep = ref<TableView>();
    try {
        ensureData();
        cg::Rect b = bounds();
        double top = b.origin.y, bottom = cg::RectGetMaxY(b), width = b.size.width;
        if (width != geometryWidth_) {
            // Heights measured at another width no longer hold.
            for (auto& s : sections_)
                for (size_t r = 0; r < s.heights.size(); ++r)
                    if (s.automatic[r] && s.measured[r]) {
                        s.measured[r] = false;
                        s.heights[r] = automaticRowEstimate();
                    }
            recomputeGeometry();
        }
        auto shown = [&](double y, double h) {
            return h > 0 ? y < bottom && y + h > top : y >= top && y < bottom;
        };
        auto wantedRows = [&] {
            std::vector<IndexPath> rows;
            for (size_t s = 0; s < sections_.size(); ++s)
                for (size_t r = 0; r < sections_[s].heights.size(); ++r)
                    if (shown(sections_[s].rowY[r], sections_[s].heights[r]))
                        rows.push_back({static_cast<long>(s), static_cast<long>(r)});
            return rows;
        };

        // Automatic rows coming into view give their height; that may bring other rows in.
        for (int round = 0; round < MaxTilingRounds; ++round) {
            bool moved = false;
            for (const auto& path : wantedRows()) {
                auto& s = sections_[static_cast<size_t>(path.section)];
                size_t r = static_cast<size_t>(path.row);
                if (!s.automatic[r] || s.measured[r]) continue;
                auto& cell = visible_[path];
                if (!cell) cell = makeCell(path);
                s.measured[r] = true;
                cell->setFrame(cg::RectMake(0, s.rowY[r], width, s.heights[r]));
                double height = std::max(0.0, cell->sizeThatFits({width, 0}).height);
                if (height != s.heights[r]) {
                    s.heights[r] = height;
                    recomputeGeometry();
                    moved = true;
                    break;
                }
            }
            if (!moved) break;
        }

        auto rows = wantedRows();
        std::set<IndexPath> wanted(rows.begin(), rows.end());
        for (auto it = visible_.begin(); it != visible_.end();) {
            if (wanted.count(it->first)) {
                ++it;
                continue;
            }
            enqueue(it->second);
            it = visible_.erase(it);
        }
        auto d = liveDelegate();
        for (const auto& path : rows) {
            auto& cell = visible_[path];
            bool fresh = !cell || cell->superview().get() != this;
            if (!cell) cell = makeCell(path);
            auto& s = sections_[static_cast<size_t>(path.section)];
            cell->setFrame(cg::RectMake(0, s.rowY[static_cast<size_t>(path.row)], width,
                                        s.heights[static_cast<size_t>(path.row)]));
            if (!fresh) continue;
            insertSubview(cell, 0);
            cell->setSelected(selected_ == path);
            cell->layoutIfNeeded();
            if (d) d->willDisplayCell(keep, cell, path);
        }
        placeSectionViews();
    } catch (...) {
        tiling_ = false;
        throw;
    }
    tiling_ = false;
}

void TableView::placeSectionViews() {
    double width = bounds().size.width;
    auto place = [&](const ViewRef& view, cg::Rect frame) {
        if (!view) return;
        if (frame.size.height <= 0) {
            view->removeFromSuperview();
            return;
        }
        view->setFrame(frame);
        if (view->superview().get() != this) addSubview(view);
    };
    if (tableHeaderView_) {
        place(tableHeaderView_, cg::RectMake(0, 0, width, tableHeaderView_->frame().size.height));
    }
    for (const auto& [section, view] : headerViews_) place(view, rectForHeader(section));
    for (const auto& [section, view] : footerViews_) place(view, rectForFooter(section));
    if (tableFooterView_) {
        double h = tableFooterView_->frame().size.height;
        place(tableFooterView_, cg::RectMake(0, contentHeight_ - h, width, h));
    }
}

// --- Reloading ---

void TableView::reloadData() {
    for (auto& [path, cell] : visible_) enqueue(cell);
    visible_.clear();
    selected_.reset();
    invalidate();
}

void TableView::checkRowCounts(const char* operation, const std::map<long, long>& delta) {
    auto ds = liveDataSource();
    auto self = ref<TableView>();
    long sections = ds ? std::max(0L, ds->numberOfSections(self)) : 0;
    if (sections != static_cast<long>(sections_.size()))
        inconsistency(ns::format("Invalid update (%s): the number of sections changed from %ld to %ld", operation,
                                 static_cast<long>(sections_.size()), sections));
    for (long s = 0; s < sections; ++s) {
        long before = static_cast<long>(sections_[static_cast<size_t>(s)].heights.size());
        auto it = delta.find(s);
        long expected = before + (it == delta.end() ? 0 : it->second);
        long now = std::max(0L, ds->numberOfRows(self, s));
        if (now != expected)
            inconsistency(ns::format("Invalid update (%s): section %ld has %ld rows after the update, but %ld before "
                                     "plus or minus the rows inserted or deleted make %ld",
                                     operation, s, now, before, expected));
    }
}

void TableView::reloadRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    ensureData();
    lastAnimation_ = animation;
    checkRowCounts("reload", {});
    for (const auto& path : indexPaths) {
        if (!validPath(path))
            inconsistency(ns::format("attempt to reload row %ld of section %ld, which does not exist", path.row,
                                     path.section));
    }
    for (const auto& path : indexPaths) {
        loadRowHeight(sections_[static_cast<size_t>(path.section)], path.section, path.row);
        // The old cell goes back to the pool first, so the row usually gets it back, refilled.
        if (auto it = visible_.find(path); it != visible_.end()) {
            enqueue(it->second);
            visible_.erase(it);
        }
    }
    recomputeGeometry();
    tile();
}

void TableView::insertRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    ensureData();
    lastAnimation_ = animation;
    std::map<long, long> delta;
    for (const auto& path : indexPaths) ++delta[path.section];
    checkRowCounts("insert", delta);
    std::vector<IndexPath> sorted = indexPaths;
    std::sort(sorted.begin(), sorted.end());
    for (const auto& path : sorted) {
        if (path.section < 0 || path.section >= static_cast<long>(sections_.size()) || path.row < 0 ||
            path.row > static_cast<long>(sections_[static_cast<size_t>(path.section)].heights.size()))
            inconsistency(ns::format("attempt to insert row %ld into section %ld, which has too few rows", path.row,
                                     path.section));
        auto& s = sections_[static_cast<size_t>(path.section)];
        auto at = static_cast<std::ptrdiff_t>(path.row);
        s.heights.insert(s.heights.begin() + at, 0);
        s.measured.insert(s.measured.begin() + at, false);
        s.automatic.insert(s.automatic.begin() + at, false);
        loadRowHeight(s, path.section, path.row);
        // Rows at or after the new one move down by one.
        std::map<IndexPath, TableViewCellRef> moved;
        for (auto& [p, cell] : visible_)
            moved[p.section == path.section && p.row >= path.row ? IndexPath{p.section, p.row + 1} : p] = cell;
        visible_.swap(moved);
        if (selected_ && selected_->section == path.section && selected_->row >= path.row) ++selected_->row;
    }
    recomputeGeometry();
    tile();
}

void TableView::deleteRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation) {
    ensureData();
    lastAnimation_ = animation;
    std::map<long, long> delta;
    for (const auto& path : indexPaths) --delta[path.section];
    for (const auto& path : indexPaths) {
        if (!validPath(path))
            inconsistency(ns::format("attempt to delete row %ld from section %ld, which does not exist", path.row,
                                     path.section));
    }
    checkRowCounts("delete", delta);
    std::vector<IndexPath> sorted = indexPaths;
    std::sort(sorted.rbegin(), sorted.rend());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (const auto& path : sorted) {
        auto& s = sections_[static_cast<size_t>(path.section)];
        auto at = static_cast<std::ptrdiff_t>(path.row);
        s.heights.erase(s.heights.begin() + at);
        s.measured.erase(s.measured.begin() + at);
        s.automatic.erase(s.automatic.begin() + at);
        std::map<IndexPath, TableViewCellRef> moved;
        for (auto& [p, cell] : visible_) {
            if (p == path) enqueue(cell);
            else moved[p.section == path.section && p.row > path.row ? IndexPath{p.section, p.row - 1} : p] = cell;
        }
        visible_.swap(moved);
        if (selected_ == path) selected_.reset();
        else if (selected_ && selected_->section == path.section && selected_->row > path.row) --selected_->row;
    }
    recomputeGeometry();
    tile();
}

// --- Queries ---

long TableView::numberOfSections() {
    ensureData();
    return static_cast<long>(sections_.size());
}

long TableView::numberOfRows(long section) {
    ensureData();
    if (section < 0 || section >= static_cast<long>(sections_.size())) return 0;
    return static_cast<long>(sections_[static_cast<size_t>(section)].heights.size());
}

cg::Rect TableView::rectForRow(const IndexPath& indexPath) {
    ensureData();
    if (!validPath(indexPath)) return cg::RectZero;
    const auto& s = sections_[static_cast<size_t>(indexPath.section)];
    size_t r = static_cast<size_t>(indexPath.row);
    return cg::RectMake(0, s.rowY[r], bounds().size.width, s.heights[r]);
}

cg::Rect TableView::rectForHeader(long section) {
    ensureData();
    if (section < 0 || section >= static_cast<long>(sections_.size())) return cg::RectZero;
    const auto& s = sections_[static_cast<size_t>(section)];
    return cg::RectMake(0, s.y, bounds().size.width, s.header);
}

cg::Rect TableView::rectForFooter(long section) {
    ensureData();
    if (section < 0 || section >= static_cast<long>(sections_.size())) return cg::RectZero;
    const auto& s = sections_[static_cast<size_t>(section)];
    double y = s.y + s.header;
    for (double h : s.heights) y += h;
    return cg::RectMake(0, y, bounds().size.width, s.footer);
}

std::optional<IndexPath> TableView::indexPathForRow(cg::Point point) {
    ensureData();
    for (size_t s = 0; s < sections_.size(); ++s) {
        const auto& sec = sections_[s];
        for (size_t r = 0; r < sec.heights.size(); ++r)
            if (point.y >= sec.rowY[r] && point.y < sec.rowY[r] + sec.heights[r])
                return IndexPath{static_cast<long>(s), static_cast<long>(r)};
    }
    return std::nullopt;
}

std::vector<TableViewCellRef> TableView::visibleCells() {
    layoutIfNeeded();
    tile();
    std::vector<TableViewCellRef> cells;
    for (const auto& [path, cell] : visible_) cells.push_back(cell);
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() {
    layoutIfNeeded();
    tile();
    std::vector<IndexPath> paths;
    for (const auto& [path, cell] : visible_) paths.push_back(path);
    return paths;
}

TableViewCellRef TableView::cellForRow(const IndexPath& indexPath) {
    layoutIfNeeded();
    tile();
    auto it = visible_.find(indexPath);
    return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell) {
    for (const auto& [path, visible] : visible_)
        if (visible.get() == cell) return path;
    return std::nullopt;
}

ViewRef TableView::headerView(long section) {
    ensureData();
    auto it = headerViews_.find(section);
    return it == headerViews_.end() ? nullptr : it->second;
}

ViewRef TableView::footerView(long section) {
    ensureData();
    auto it = footerViews_.find(section);
    return it == footerViews_.end() ? nullptr : it->second;
}

// --- Selection ---

void TableView::selectRow(const std::optional<IndexPath>& indexPath, bool animated, TableViewScrollPosition position) {
    ensureData();
    if (selected_) {
        if (auto it = visible_.find(*selected_); it != visible_.end()) it->second->setSelected(false, animated);
        selected_.reset();
    }
    if (!indexPath || !validPath(*indexPath)) return;
    selected_ = indexPath;
    if (auto it = visible_.find(*indexPath); it != visible_.end()) it->second->setSelected(true, animated);
    if (position != TableViewScrollPosition::None) scrollToRow(*indexPath, position, animated);
}

void TableView::deselectRow(const IndexPath& indexPath, bool animated) {
    if (selected_ != indexPath) return;
    selected_.reset();
    if (auto it = visible_.find(indexPath); it != visible_.end()) it->second->setSelected(false, animated);
}

void TableView::userSelectRow(const IndexPath& indexPath) {
    ensureData();
    if (!allowsSelection_ || !validPath(indexPath)) return;
    TableViewRef keep = ref<TableView>();
    auto d = liveDelegate();
    if (selected_ && *selected_ != indexPath) {
        IndexPath previous = *selected_;
        deselectRow(previous, false);
        if (d) d->didDeselectRow(keep, previous);
    }
    selected_ = indexPath;
    if (auto it = visible_.find(indexPath); it != visible_.end()) it->second->setSelected(true, false);
    if (d) d->didSelectRow(keep, indexPath);
}

void TableView::touchesEnded(const TouchSet& touches, const EventRef& event) {
    bool tap = !touchesMovedContent();
    ScrollView::touchesEnded(touches, event);
    if (!tap || touches.empty()) return;
    if (auto path = indexPathForRow(touches.front()->locationInView(ref<View>()))) userSelectRow(*path);
}

// --- Scrolling ---

void TableView::scrollToRow(const IndexPath& indexPath, TableViewScrollPosition position, bool animated) {
    ensureData();
    if (!validPath(indexPath)) return;
    cg::Rect row = rectForRow(indexPath);
    if (position == TableViewScrollPosition::None) {
        scrollRectToVisible(row, animated);
        return;
    }
    cg::Point offset = contentOffset();
    double height = bounds().size.height;
    if (position == TableViewScrollPosition::Top) offset.y = row.origin.y;
    else if (position == TableViewScrollPosition::Middle) offset.y = cg::RectGetMidY(row) - height / 2;
    else offset.y = cg::RectGetMaxY(row) - height;
    cg::Point min = minimumContentOffset(), max = maximumContentOffset();
    offset.y = std::clamp(offset.y, min.y, max.y);
    setContentOffset(offset, animated);
}

} // namespace ui
