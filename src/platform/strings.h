#pragma once

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

}  // namespace stampwell
