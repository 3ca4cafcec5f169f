#include "UIKitTestSupport.h"

#include "os/foundation/Error.h"
#include "os/uikit/Nib.h"
#include "os/uikit/TableView.h"

#include <set>

using namespace uitest;

namespace {

// A cell from a nib: counts its wake-ups and reuses, shows its row in an outlet label.
class GiftCell : public ui::TableViewCell {
public:
    static inline int awakened = 0;
    int awakeCount = 0;
    int reuseCount = 0;
    ns::Weak<ui::Label> name;

    void awakeFromNib() override {
        ++awakeCount;
        ++awakened;
    }
    void prepareForReuse() override {
        ui::TableViewCell::prepareForReuse();
        ++reuseCount;
    }
    std::string shown() const { return name.lock()->text().value_or(""); }
};

class Rows : public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    std::vector<std::string> rows;
    std::string identifier = "GiftCell";
    Log log = makeLog();

    long numberOfRows(const ui::TableViewRef&, long) override { return static_cast<long>(rows.size()); }
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& path) override {
        auto cell = table->dequeueReusableCell(identifier, path);
        if (auto gift = ns::as<GiftCell>(cell)) gift->name.lock()->setText(rows[static_cast<size_t>(path.row)]);
        else cell->textLabel()->setText(rows[static_cast<size_t>(path.row)]);
        return cell;
    }
    void didSelectRow(const ui::TableViewRef&, const ui::IndexPath& p) override {
        log->push_back("select " + std::to_string(p.row));
    }
    void didDeselectRow(const ui::TableViewRef&, const ui::IndexPath& p) override {
        log->push_back("deselect " + std::to_string(p.row));
    }
};

class TableViewTest : public UIKitTest {
protected:
    void SetUp() override {
        UIKitTest::SetUp();
        GiftCell::awakened = 0;
        ui::NibRegistry::add("", "GiftCell", [](const ns::Ref<ns::Object>&) {
            auto cell = ui::View::create<GiftCell>(cg::RectMake(0, 0, 320, 44));
            auto label = ui::View::create<ui::Label>(cg::RectMake(15, 0, 290, 44));
            cell->contentView()->addSubview(label);
            cell->name = label;
            return ui::NibObjects{cell};
        });
    }
    void TearDown() override {
        ui::NibRegistry::remove("", "GiftCell");
        UIKitTest::TearDown();
    }

    ui::TableViewRef makeTable(double height, long rowCount) {
        for (long i = 0; i < rowCount; ++i) source->rows.push_back("row " + std::to_string(i));
        auto table = ui::View::create<ui::TableView>(cg::RectMake(0, 0, 320, height));
        table->registerNib(ui::Nib::nibWithNibName("GiftCell"), "GiftCell");
        table->setDataSource(source);
        table->setDelegate(source);
        return table;
    }

    std::shared_ptr<Rows> source = std::make_shared<Rows>();
};

TEST_F(TableViewTest, CellsAreReusedAndRefilledAndAwakeOncePerCell) {
    auto table = makeTable(220, 50);
    EXPECT_EQ(table->visibleCells().size(), 5u);
    EXPECT_EQ(GiftCell::awakened, 5) << "only the visible rows get cells";
    EXPECT_EQ(table->contentSize().height, 50 * 44);

    std::set<GiftCell*> seen;
    for (double y = 22; y <= 50 * 44 - 220; y += 66) {
        table->setContentOffset({0, y});
        for (const auto& path : table->indexPathsForVisibleRows()) {
            auto cell = std::static_pointer_cast<GiftCell>(table->cellForRow(path));
            EXPECT_EQ(cell->shown(), "row " + std::to_string(path.row));
            EXPECT_EQ(table->indexPathForCell(cell.get()), path);
            seen.insert(cell.get());
        }
    }
    EXPECT_EQ(seen.size(), 6u) << "six rows are in view at most, so six cells serve all fifty";
    EXPECT_EQ(GiftCell::awakened, 6);
    for (auto* cell : seen) EXPECT_EQ(cell->awakeCount, 1);

    // A changed row shows when its cell is filled again.
    auto path = table->indexPathsForVisibleRows().front();
    auto before = std::static_pointer_cast<GiftCell>(table->cellForRow(path));
    int reuses = before->reuseCount;
    source->rows[static_cast<size_t>(path.row)] = "changed";
    ui::View::performWithoutAnimation(
        [&] { table->reloadRows({path}, ui::TableViewRowAnimation::None); });
    auto after = std::static_pointer_cast<GiftCell>(table->cellForRow(path));
    EXPECT_EQ(after->shown(), "changed");
    EXPECT_EQ(after, before) << "the row's own cell came back from the pool";
    EXPECT_EQ(after->reuseCount, reuses + 1);
    EXPECT_EQ(GiftCell::awakened, 6);

    // reloadData asks everything again and keeps the cells.
    double offset = table->contentOffset().y;
    source->rows.resize(3);
    table->reloadData();
    EXPECT_EQ(table->numberOfRows(0), 3);
    EXPECT_EQ(table->contentOffset().y, offset) << "the offset is left alone";
    table->setContentOffset({0, 0});
    EXPECT_EQ(table->visibleCells().size(), 3u);
    EXPECT_EQ(GiftCell::awakened, 6);
}

TEST_F(TableViewTest, AutomaticRowHeightsComeFromTheCellsOnceTheyAreShown) {
    auto table = makeTable(300, 0);
    source->identifier = "Plain";
    table->registerClass([](const std::string& id) {
        auto cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, id);
        cell->textLabel()->setNumberOfLines(0);
        return cell;
    }, "Plain");
    source->rows = {"one", "a long line of words that needs several lines to fit into a narrow table row", "two"};
    for (int i = 0; i < 30; ++i) source->rows.push_back("short");
    table->setRowHeight(ui::TableViewAutomaticDimension);
    table->setEstimatedRowHeight(50);
    table->reloadData();

    double first = ui::driver::rowHeight(table, {0, 0});
    double second = ui::driver::rowHeight(table, {0, 1});
    EXPECT_EQ(first, table->cellForRow({0, 0})->sizeThatFits({320, 0}).height);
    EXPECT_GT(second, first) << "the long text wraps";
    EXPECT_EQ(second, table->cellForRow({0, 1})->sizeThatFits({320, 0}).height);
    EXPECT_EQ(table->rectForRow({0, 2}).origin.y, first + second);

    EXPECT_EQ(table->rectForRow({0, 30}).size.height, 50) << "rows not shown yet count the estimate";
    double estimated = table->contentSize().height;
    ui::driver::cell(table, {0, 30});
    EXPECT_EQ(table->rectForRow({0, 30}).size.height, first);
    EXPECT_LT(table->contentSize().height, estimated);

    table->setContentOffset({0, 0});
    table->setFrame(cg::RectMake(0, 0, 160, 300));
    EXPECT_GT(ui::driver::rowHeight(table, {0, 1}), second) << "a narrower table measures its rows again";
}

TEST_F(TableViewTest, UpdatesMustMatchTheDataSourceAndTapsSelectRows) {
    auto table = makeTable(220, 4);
    EXPECT_THROW(table->dequeueReusableCell("Unknown", {0, 0}), ns::Exception);
    EXPECT_EQ(table->dequeueReusableCell("Unknown"), nullptr);

    EXPECT_THROW(table->insertRows({{0, 1}}, ui::TableViewRowAnimation::Fade), ns::Exception)
        << "the data source still counts four rows";
    source->rows.insert(source->rows.begin() + 1, "new");
    table->insertRows({{0, 1}}, ui::TableViewRowAnimation::Fade);
    EXPECT_EQ(ui::driver::cell<GiftCell>(table, {0, 1})->shown(), "new");
    EXPECT_EQ(ui::driver::cell<GiftCell>(table, {0, 2})->shown(), "row 1");

    source->rows.erase(source->rows.begin());
    table->deleteRows({{0, 0}}, ui::TableViewRowAnimation::None);
    EXPECT_EQ(ui::driver::cell<GiftCell>(table, {0, 0})->shown(), "new");
    EXPECT_THROW(ui::driver::cell(table, {0, 9}), ui::driver::Failure);

    auto window = showWindow(ui::ViewController::create());
    window->rootViewController()->view()->addSubview(table);
    ui::driver::selectRow(table, {0, 3});
    ui::driver::selectRow(table, {0, 1});
    EXPECT_EQ(take(source->log), "select 3 deselect 3 select 1");
    EXPECT_EQ(table->indexPathForSelectedRow(), (ui::IndexPath{0, 1}));
    EXPECT_TRUE(table->cellForRow({0, 1})->isSelected());

    // A tap on a row's cell selects it too; a cover over the table refuses the tap.
    tap(table->cellForRow({0, 2}));
    EXPECT_EQ(take(source->log), "deselect 1 select 2");
    auto cover = ui::View::create(table->frame());
    window->rootViewController()->view()->addSubview(cover);
    EXPECT_THROW(ui::driver::selectRow(table, {0, 0}), ui::driver::Failure);
}

} // namespace
