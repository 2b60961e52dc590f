// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stampwell {

// ASCII case folding: names in profiles and member names of automation objects compare
// without regard to case, the way the Windows API compares them for ASCII text.
std::string LowerCase(std::string_view s);
std::string UpperCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
// Leading and trailing blanks (spaces, tabs) removed.
std::string Trim(std::string_view s);

// Cutting UTF-8 text without splitting a character: a character starts at every byte that is
// not a continuation byte (10xxxxxx). Invalid sequences are cut like any other bytes.
// The number of characters (code points) in s.
std::size_t Utf8Length(std::string_view s);
// The first maxChars characters of s (all of s when it has no more).
std::string Utf8CutToChars(std::string_view s, std::size_t maxChars);
// The longest start of s of at most maxBytes bytes that ends between two characters.
std::string Utf8CutToBytes(std::string_view s, std::size_t maxBytes);

}  // namespace stampwell
