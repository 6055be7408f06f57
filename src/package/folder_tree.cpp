#include "package/folder_tree.h"

#include <vector>

#include "package/folder_tables.h"
#include "package/link_guard.h"
#include "platform/fs.h"
#include "store/sfile.h"
#include "store/wfile.h"

namespace tlx::package {

namespace {

void CopyInside(const std::string& install_dir, const std::string& from, const std::string& to,
                const FileWrittenFn& written) {
  RequireNoLinksBelow(install_dir, from);
  RequireNoLinksBelow(install_dir, to);
  store::CopyFile(from, to);
  if (written) written(to, static_cast<uint64_t>(store::SFile(to, store::kSFileRead).Size()));
}

}  // namespace

std::vector<std::string> CreateFolderLevels(const std::string& path) {
  // The missing levels, innermost first, found by walking up to the first one that exists.
  std::vector<std::string> missing;
  std::string level = path;
  while (!level.empty() && level.back() == '\\') level.pop_back();
  while (!level.empty() && !platform::Attributes(level)) {
    missing.push_back(level);
    const size_t cut = level.find_last_of('\\');
    if (cut == std::string::npos || (cut == 2 && level[1] == ':')) break;  // the drive's root
    level.resize(cut);
  }
  std::vector<std::string> created;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!platform::CreateFolder(*it)) break;
    created.push_back(*it);
  }
  return created;
}

void CreateFolderTree(const std::string& install_dir, int variant, const FolderCreatedFn& created) {
  std::vector<std::string> folders;
  for (std::string_view folder : kCommonFolders) folders.push_back(install_dir + std::string(folder));
  for (std::string_view language : kLanguageFolders) {
    for (size_t number = 1; number <= kLanguageSubfolders.size(); ++number) {
      if (number == kVariantOneOnlyFolder && variant == 0) continue;
      folders.push_back(install_dir + std::string(language) + std::string(kLanguageSubfolders[number - 1]));
    }
  }
  // Every folder is checked before the first is made: a link met halfway would have had the
  // folders before it made wherever it leads.
  for (const std::string& folder : folders) RequireNoLinksBelow(install_dir, folder);
  for (const std::string& folder : folders) {
    for (const std::string& level : CreateFolderLevels(folder)) {
      if (created) created(level);
    }
  }
}

void CopyReferenceFiles(const std::string& install_dir, const FileWrittenFn& written) {
  for (size_t language = 0; language < kLanguageFolders.size(); ++language) {
    const std::string base = install_dir + std::string(kLanguageFolders[language]);
    const std::string etalon = base + std::string(kLanguageSubfolders[kReferenceFolder - 1]);
    const std::string databases = base + std::string(kLanguageSubfolders[kDatabaseFolder - 1]);
    const ReferenceCopies& copies = kReferenceCopies[language];
    for (std::string_view name : copies.databases) {
      CopyInside(install_dir, databases + std::string(name), etalon + std::string(name), written);
    }
    const std::string user_files = base + std::string(kLanguageSubfolders[kUserFileFolder - 1]);
    CopyInside(install_dir, user_files + std::string(copies.user_file), etalon + std::string(copies.user_file), written);
    if (language != kRussianLanguage) continue;
    const std::string config = install_dir + std::string(kCommonFolders[kConfigFolder - 1]);
    for (std::string_view name : kReferenceConfigFiles) {
      CopyInside(install_dir, config + std::string(name), etalon + std::string(name), written);
    }
  }
}

}  // namespace tlx::package
