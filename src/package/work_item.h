// Changes to the disk and the registry as work items that can be undone: an installation adds one
// item per change it makes, and when it fails the list undoes them newest first, so a failed
// installation leaves the machine as it found it.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace tlx::package {

// What undoing did: one line per step (for the log) and every path it had to leave, with the
// reason (for the log and the message).
struct RollbackReport {
  std::vector<std::string> steps;
  std::vector<std::string> left;
};

class WorkItem {
 public:
  virtual ~WorkItem() = default;
  // Makes the change. Raises (ZError) when it cannot; whatever it had done by then is undone by
  // Rollback.
  virtual void Do() = 0;
  // Undoes what Do did, as far as it can, never following a link or junction; names what stays.
  virtual void Rollback(RollbackReport& report) = 0;
};

class WorkItemList {
 public:
  WorkItemList() = default;
  WorkItemList(const WorkItemList&) = delete;
  WorkItemList& operator=(const WorkItemList&) = delete;

  // Runs the item's Do and keeps the item for Rollback, also when Do raises (the exception goes on
  // to the caller).
  void Add(std::unique_ptr<WorkItem> item);
  // Undoes every kept item, newest first, and forgets them.
  void Rollback(RollbackReport& report);
  // Forgets the items: their changes stay.
  void Commit() { items_.clear(); }
  bool empty() const { return items_.empty(); }

 private:
  std::vector<std::unique_ptr<WorkItem>> items_;
};

}  // namespace tlx::package
