#include "tools/install_expectation.h"

#include "package/folder_tables.h"
#include "platform/text.h"
#include "support/files.h"

namespace tlx::test {

namespace fs = std::filesystem;

namespace {
std::string Upper(const std::string& text) { return platform::UpperUtf8(text); }
}  // namespace

fs::path FsPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}
std::string Part(std::string_view entry) { return "/" + std::string(entry.substr(1)); }

std::map<std::string, std::string> TreeFiles(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(FsPath(root))) {
    if (entry.is_regular_file()) {
      files[Upper(Utf8(fs::relative(entry.path(), FsPath(root))))] = ReadNativeFile(Utf8(entry.path()));
    }
  }
  return files;
}

std::map<std::string, std::string> ExpectedInstall(const std::string& payload, int variant, const Rules& rules) {
  std::map<std::string, std::string> expected;
  std::set<std::string> sources;
  for (const auto& [target, pair] : rules.alternatives) {
    sources.insert(Upper(pair[0]));
    sources.insert(Upper(pair[1]));
    expected[Upper(target)] = ReadNativeFile(payload + "/" + pair[variant]);
  }
  std::set<std::string> variant_one;
  for (const std::string& path : rules.variant_one) variant_one.insert(Upper(path));
  for (const auto& [path, bytes] : TreeFiles(payload)) {
    const bool lpd = path.find("/LPD/") != std::string::npos;
    if (path == "TLXPACK.TOML" || sources.contains(path) || (variant == 0 && (lpd || variant_one.contains(path)))) {
      continue;
    }
    expected[path] = bytes;
  }
  for (size_t lang = 0; lang < package::kLanguageFolders.size(); ++lang) {
    const std::string root = Upper(std::string(package::kLanguageFolders[lang].substr(1)));
    const auto& copies = package::kReferenceCopies[lang];
    for (std::string_view db : copies.databases) {
      expected[root + "/ETALON" + Upper(Part(db))] = expected.at(root + "/LBN" + Upper(Part(db)));
    }
    expected[root + "/ETALON" + Upper(Part(copies.user_file))] =
        expected.at(root + "/USERNSI" + Upper(Part(copies.user_file)));
  }
  for (std::string_view cfg : package::kReferenceConfigFiles) {
    expected["RUS/ETALON" + Upper(Part(cfg))] = expected.at("CFG" + Upper(Part(cfg)));
  }
  return expected;
}

Rules SampleRules() {
  Rules rules;
  rules.alternatives["Doc/readme.txt"] = {"Doc/readme.two.txt", "Doc/readme.three.txt"};
  rules.variant_one.insert("Doc/components3.txt");
  return rules;
}

}  // namespace tlx::test
