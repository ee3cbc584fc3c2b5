// Track numbers as the commands take them: "all", or numbers and ranges
// separated by commas ("2,5", "1-8", "1-4,9"), 1-based.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

namespace cli {

// A decimal number of at most 10 digits, no sign, not above `limit`.
bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t* value);

std::string Trim(const std::string& s);

// Calls `item` with each comma-separated item, trimmed; stops at the first
// item it refuses and answers false.
bool ForEachListItem(const std::string& text, const std::function<bool(const std::string&)>& item);

// `all` is set for "all"; otherwise `tracks` receives the numbers. On a bad
// item, `why` says which one, naming the option `option` ("--tracks").
bool ParseTrackList(const std::string& text, bool* all, std::set<int>* tracks, std::string* why,
                    const std::string& option = "--tracks");

}  // namespace cli
