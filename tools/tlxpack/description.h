// The payload's description file "tlxpack.toml" (at the payload root, optional): what the folder
// tree cannot say by itself.
//
//   order = ["Exe/tlx.exe", "Cfg/Cfg.tlx"]   # these files first, in this order; the rest by name
//
//   [[file]]                                 # a file of one installation variant only
//   path = "Doc/three.txt"
//   variant = 1
//
//   [[alternative]]                          # one installed file, its bytes chosen by variant
//   path = "Doc/readme.txt"
//   variant0 = "Doc/readme.two.txt"
//   variant1 = "Doc/readme.three.txt"
//
// Paths are relative to the payload root, "/" or "\" between parts, matched without regard to
// letter case. Files below LPD belong to variant 1 without being listed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tlx::tlxpack {

inline constexpr char kDescriptionName[] = "tlxpack.toml";
inline constexpr uint32_t kVariantCount = 2;  // installation variants 0 and 1

struct VariantFile {
  std::string path;
  uint32_t variant = 0;
};

struct Alternative {
  std::string path;                   // the installed file
  std::vector<std::string> sources;   // index = variant; sources are not installed by their own name
};

struct Description {
  std::vector<std::string> order;
  std::vector<VariantFile> variant_files;
  std::vector<Alternative> alternatives;
};

// Parses the description text; `file_name` names it in errors. Throws std::runtime_error with
// the file name, line and what is wrong (TOML syntax, unknown keys, wrong types, bad variants).
Description ParseDescription(const std::string& text, const std::string& file_name);

}  // namespace tlx::tlxpack
