#include "tools/tlxpack/description.h"

#include <set>
#include <stdexcept>

#include <toml++/toml.h>

namespace tlx::tlxpack {

namespace {

class Parser {
 public:
  explicit Parser(const std::string& file_name) : file_name_(file_name) {}

  [[noreturn]] void Fail(const toml::node* node, const std::string& what) const {
    std::string where = file_name_;
    if (node != nullptr && node->source().begin) where += ":" + std::to_string(node->source().begin.line);
    throw std::runtime_error(where + ": " + what);
  }

  void OnlyKeys(const toml::table& table, const std::set<std::string>& keys, const std::string& section) const {
    for (const auto& [key, value] : table) {
      if (!keys.contains(std::string(key.str()))) {
        Fail(&value, "unknown key \"" + std::string(key.str()) + "\"" + (section.empty() ? "" : " in [[" + section + "]]"));
      }
    }
  }

  std::string Text(const toml::table& table, const char* key, const std::string& section) const {
    const toml::node* node = table.get(key);
    if (node == nullptr) Fail(&table, "[[" + section + "]] needs \"" + key + "\"");
    const auto* text = node->as_string();
    if (text == nullptr || text->get().empty()) Fail(node, "\"" + std::string(key) + "\" must be a non-empty text");
    return text->get();
  }

  uint32_t Variant(const toml::node* node) const {
    const auto* number = node != nullptr ? node->as_integer() : nullptr;
    if (number == nullptr || number->get() < 0 || number->get() >= kVariantCount) {
      Fail(node, "a variant is 0 or 1");
    }
    return static_cast<uint32_t>(number->get());
  }

  const toml::array& Array(const toml::node& node, const char* key) const {
    const auto* array = node.as_array();
    if (array == nullptr) Fail(&node, "\"" + std::string(key) + "\" must be an array");
    return *array;
  }

 private:
  std::string file_name_;
};

}  // namespace

Description ParseDescription(const std::string& text, const std::string& file_name) {
  Parser p(file_name);
  toml::table root;
  try {
    root = toml::parse(text, file_name);
  } catch (const toml::parse_error& error) {
    throw std::runtime_error(file_name + ":" + std::to_string(error.source().begin.line) + ": " +
                             std::string(error.description()));
  }
  p.OnlyKeys(root, {"order", "file", "alternative"}, "");
  Description description;
  if (const toml::node* order = root.get("order")) {
    for (const toml::node& item : p.Array(*order, "order")) {
      const auto* path = item.as_string();
      if (path == nullptr || path->get().empty()) p.Fail(&item, "\"order\" lists paths as texts");
      description.order.push_back(path->get());
    }
  }
  if (const toml::node* files = root.get("file")) {
    for (const toml::node& item : p.Array(*files, "file")) {
      const auto* table = item.as_table();
      if (table == nullptr) p.Fail(&item, "[[file]] must be a table");
      p.OnlyKeys(*table, {"path", "variant"}, "file");
      if (table->get("variant") == nullptr) p.Fail(table, "[[file]] needs \"variant\"");
      description.variant_files.push_back({p.Text(*table, "path", "file"), p.Variant(table->get("variant"))});
    }
  }
  if (const toml::node* alternatives = root.get("alternative")) {
    for (const toml::node& item : p.Array(*alternatives, "alternative")) {
      const auto* table = item.as_table();
      if (table == nullptr) p.Fail(&item, "[[alternative]] must be a table");
      p.OnlyKeys(*table, {"path", "variant0", "variant1"}, "alternative");
      Alternative alternative{p.Text(*table, "path", "alternative"), {}};
      for (uint32_t v = 0; v < kVariantCount; ++v) {
        const std::string key = "variant" + std::to_string(v);
        alternative.sources.push_back(p.Text(*table, key.c_str(), "alternative"));
      }
      description.alternatives.push_back(std::move(alternative));
    }
  }
  return description;
}

}  // namespace tlx::tlxpack
