#pragma once
// What the strategy and the activity lists share: rows kept as the reply's dictionaries, the
// empty-state view, the page requests and the article page opened on a tap. Each list gives its
// path, cell, row height, header and empty-state sentence.

#include "platform_sdk/user_center/VXRefreshViewController.h"

#include <string>

class VXArticleListVC : public VXRefreshViewController {
public:
    // The empty-state picture and sentence, made on first access.
    const ui::ViewRef& tempView();

    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void tableViewDidTriggerHeaderRefresh() override;
    void tableViewDidTriggerFooterRefresh() override;
    long numberOfRows(const ui::TableViewRef& table, long section) override;
    ui::TableViewCellRef cellForRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;
    void didSelectRow(const ui::TableViewRef& table, const ui::IndexPath& indexPath) override;

protected:
    struct Kind {
        std::string path;
        std::string cell;
        double rowHeight;
        bool header;
        std::string emptySentence;
    };
    virtual Kind kind() const = 0;

private:
    PageRequest request();

    ui::ViewRef tempView_;
};
