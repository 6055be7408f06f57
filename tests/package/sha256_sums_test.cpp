// The SHA256SUMS list: what the builder writes reads back, and lists of another form are refused
// with the line and the reason.
#include "package/sha256_sums.h"

#include <gtest/gtest.h>

#include <cctype>

namespace tlx::package {
namespace {

const std::string kHex = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";  // SHA-256 of "abc"

platform::Sha256Digest AbcDigest() {
  return *platform::Sha256Of({reinterpret_cast<const uint8_t*>("abc"), 3});
}

TEST(Sha256Sums, WhatIsWrittenReadsBack) {
  const std::vector<Sha256Entry> entries = {{"TlxStp5_320.001", AbcDigest()}, {"kssum", platform::Sha256Digest{}}};
  const std::string text = FormatSha256Sums(entries);
  EXPECT_EQ(text, kHex + "  TlxStp5_320.001\n" + std::string(64, '0') + "  kssum\n");
  std::string problem;
  const auto parsed = ParseSha256Sums(text, &problem);
  ASSERT_TRUE(parsed) << problem;
  ASSERT_EQ(parsed->size(), 2u);
  EXPECT_EQ((*parsed)[0].name, "TlxStp5_320.001");
  EXPECT_EQ((*parsed)[0].digest, AbcDigest());
  EXPECT_EQ(FindDigest(*parsed, "kssum"), &(*parsed)[1].digest);
  EXPECT_EQ(FindDigest(*parsed, "KSSUM"), nullptr);
}

TEST(Sha256Sums, ReadsTheFormsSha256sumWrites) {
  std::string upper = kHex;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::string text;
    std::string name;
  } cases[] = {
      {kHex + "  a b.txt\n", "a b.txt"},      // a name with a blank
      {kHex + " *TlxStp5_320.001\n", "TlxStp5_320.001"},  // binary mark
      {"\n" + upper + "  x\r\n\n", "x"},      // upper-case digits, Windows line end, empty lines
      {kHex + "  last", "last"},              // no line end after the last line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string problem;
    const auto parsed = ParseSha256Sums(c.text, &problem);
    ASSERT_TRUE(parsed) << problem;
    ASSERT_EQ(parsed->size(), 1u);
    EXPECT_EQ((*parsed)[0].name, c.name);
    EXPECT_EQ((*parsed)[0].digest, AbcDigest());
  }
}

TEST(Sha256Sums, RefusesOtherFormsNamingTheLine) {
  struct Case {
    std::string text;
    std::string problem;
  } cases[] = {
      {kHex + "  a\n" + kHex.substr(1) + "  b\n", "строка 2: ожидались"},
      {kHex + " a\n", "строка 1: ожидались"},
      {kHex + "  \n", "строка 1: ожидались"},
      {"SHA256 (a) = " + kHex + "\n", "строка 1: ожидались"},
      {"g" + kHex.substr(1) + "  a\n", "строка 1: контрольная сумма"},
      {kHex + "  a\n\n" + kHex + " *a\n", "строка 3: файл a указан дважды"},
      {std::string(kMaxSha256SumsSize + 1, '\n'), "длиннее"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    std::string problem;
    EXPECT_FALSE(ParseSha256Sums(c.text, &problem));
    EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << problem;
  }
}

}  // namespace
}  // namespace tlx::package
