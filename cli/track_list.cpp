#include "cli/track_list.h"

#include "cli/help.h"
#include "engine/track_plan.h"
#include "platform/text.h"
#include "resources/string_table.h"

namespace cli {

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > limit) return false;
  *value = v;
  return true;
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool ForEachListItem(const std::string& text, const std::function<bool(const std::string&)>& item) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t comma = text.find(',', pos);
    if (comma == std::string::npos) comma = text.size();
    if (!item(Trim(text.substr(pos, comma - pos)))) return false;
    pos = comma + 1;
  }
  return true;
}

bool ParseTrackList(const std::string& text, bool* all, std::set<int>* tracks, std::string* why,
                    const std::string& option) {
  if (Trim(text) == "all") {
    *all = true;
    return true;
  }
  return ForEachListItem(text, [&](const std::string& item) {
    const size_t dash = item.find('-');
    uint64_t lo = 0;
    uint64_t hi = 0;
    bool ok;
    if (dash == std::string::npos) {
      ok = ParseUnsigned(item, kTrackSlots, &lo);
      hi = lo;
    } else {
      ok = ParseUnsigned(Trim(item.substr(0, dash)), kTrackSlots, &lo) &&
           ParseUnsigned(Trim(item.substr(dash + 1)), kTrackSlots, &hi);
    }
    if (!ok || lo < 1 || hi < lo) {
      const std::u16string o = plat::Utf8ToUtf16(option), typed = plat::Utf8ToUtf16(item);
      *why = UsageText(kStrUsageTrackList, {std::u16string_view(o), std::u16string_view(typed)});
      return false;
    }
    for (uint64_t t = lo; t <= hi; ++t) tracks->insert(static_cast<int>(t));
    return true;
  });
}

}  // namespace cli
