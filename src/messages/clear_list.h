// Clearing a list of owned pointers with a caller-supplied freeing function.
#pragma once
#include <cstddef>
#include <memory>
#include <vector>

namespace tlx::messages {

// Calls free_item(item, index) for every entry in index order and nulls the entry after its call;
// then destroys the list and nulls `list` (destroy true) or empties it (destroy false). A null
// `list` is left alone. If free_item throws, the entries already freed stay null.
template <class T, class FreeItem>
void ClearList(std::unique_ptr<std::vector<T*>>& list, bool destroy, FreeItem free_item) {
  if (!list) return;
  for (std::size_t i = 0; i < list->size(); ++i) {
    free_item((*list)[i], i);
    (*list)[i] = nullptr;
  }
  if (destroy)
    list.reset();
  else
    list->clear();
}

}  // namespace tlx::messages
