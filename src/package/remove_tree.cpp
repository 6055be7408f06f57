#include "package/remove_tree.h"

#include "messages/zerror.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace tlx::package {

namespace {

constexpr char kLinkLeft[] = " - ссылка; установка ссылок не создаёт, она оставлена";

bool IsLink(uint32_t attributes) { return (attributes & platform::attr::kReparsePoint) != 0; }

// Deletes a plain file whose attributes a listing gave.
bool DeleteListedFile(const std::string& path, uint32_t attributes) {
  if ((attributes & platform::attr::kReadOnly) != 0) {
    platform::SetAttributes(path, attributes & ~platform::attr::kReadOnly);
  }
  return platform::DeleteFile(path);
}

void RemoveBelow(const std::string& folder, std::vector<std::string>& left, const std::string& keep_upper,
                 RemovalCount& count) {
  const auto entries = platform::ListFolder(folder, "*");
  if (!entries) {
    left.push_back(LeftLine(folder));
    return;
  }
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (!keep_upper.empty() && platform::UpperUtf8(entry.name) == keep_upper) continue;
    const std::string path = folder + "\\" + entry.name;
    if (IsLink(entry.attributes)) {
      left.push_back(path + kLinkLeft);
    } else if (entry.attributes & platform::attr::kDirectory) {
      const size_t before = left.size();
      RemoveBelow(path, left, {}, count);
      if (left.size() != before) continue;  // what stays inside keeps the folder too
      if ((entry.attributes & platform::attr::kReadOnly) != 0) {
        platform::SetAttributes(path, entry.attributes & ~platform::attr::kReadOnly);
      }
      if (platform::RemoveFolder(path)) {
        ++count.folders;
      } else {
        left.push_back(LeftLine(path));
      }
    } else if (DeleteListedFile(path, entry.attributes)) {
      ++count.files;
    } else {
      left.push_back(LeftLine(path));
    }
  }
}

}  // namespace

std::string LeftLine(const std::string& path) {
  return path + " - " + messages::SysErrorText(platform::LastError());
}

bool DeletePlainFile(const std::string& path) {
  const auto attributes = platform::Attributes(path);
  if (!attributes) return false;
  if (IsLink(*attributes) || (*attributes & platform::attr::kDirectory) != 0) {
    platform::SetLastError(platform::err::kAccessDenied);
    return false;
  }
  return DeleteListedFile(path, *attributes);
}

RemovalCount RemoveFolderContent(const std::string& folder, std::vector<std::string>& left, const std::string& keep) {
  RemovalCount count;
  const auto attributes = platform::Attributes(folder);
  if (!attributes) {
    const uint32_t error = platform::LastError();
    if (error != platform::err::kFileNotFound && error != platform::err::kPathNotFound) left.push_back(LeftLine(folder));
    return count;
  }
  if (IsLink(*attributes)) {
    left.push_back(folder + kLinkLeft);
    return count;
  }
  RemoveBelow(folder, left, platform::UpperUtf8(keep), count);
  return count;
}

}  // namespace tlx::package
