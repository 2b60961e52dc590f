// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting UTF-8 text by characters and by bytes.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/strings.h"

using namespace stampwell;

namespace {

TEST(Utf8Cut, NeverSplitsACharacter) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z: 1+2+3+4+1 bytes
  EXPECT_EQ(Utf8Length(text), 5u);
  EXPECT_EQ(Utf8CutToChars(text, 0), "");
  EXPECT_EQ(Utf8CutToChars(text, 2), "a\xC3\xA9");
  EXPECT_EQ(Utf8CutToChars(text, 4), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8CutToChars(text, 5), text);
  EXPECT_EQ(Utf8CutToChars(text, 50), text);
  // By bytes: every limit inside a character falls back to its start; one that ends a
  // character keeps it whole.
  const std::vector<std::pair<std::size_t, std::string>> cuts = {
      {0, ""},
      {1, "a"},
      {2, "a"},
      {3, "a\xC3\xA9"},
      {4, "a\xC3\xA9"},
      {5, "a\xC3\xA9"},
      {6, "a\xC3\xA9\xE2\x82\xAC"},
      {9, "a\xC3\xA9\xE2\x82\xAC"},
      {10, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {11, text},
      {99, text}};
  for (const auto& [limit, expected] : cuts)
    EXPECT_EQ(Utf8CutToBytes(text, limit), expected) << limit;
}

}  // namespace
