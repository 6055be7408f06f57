#include "package/work_item.h"

#include <exception>

namespace tlx::package {

void WorkItemList::Add(std::unique_ptr<WorkItem> item) {
  items_.push_back(std::move(item));
  items_.back()->Do();
}

void WorkItemList::Rollback(RollbackReport& report) {
  while (!items_.empty()) {
    std::unique_ptr<WorkItem> item = std::move(items_.back());
    items_.pop_back();
    try {
      item->Rollback(report);
    } catch (const std::exception& e) {
      report.left.push_back(e.what());  // the next items are still undone
    }
  }
}

}  // namespace tlx::package
