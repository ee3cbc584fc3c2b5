#include "cli/range_args.h"

#include "cli/load_file.h"
#include "cli/terminal.h"
#include "engine/text_format.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "timecode/timecode.h"

namespace cli {

std::u16string ReachedLabel(const MXF_TIMECODE_INFO& tc, uint32_t in, uint32_t done) {
  int64_t f = static_cast<int64_t>(in) + (done > 0 ? done - 1 : 0);
  if (const TC_BASE_UNITS* u = TcBaseUnits(tc.tcBase)) f %= static_cast<int64_t>(u->framesPerHour) * 24;
  return FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(f), 0);
}

namespace {

// Reads one label at the file's rate; prints the refusal and returns false.
bool ReadLabel(const MXF_TIMECODE_INFO& tc, const char16_t* which, const std::string& text, TIMECODE_HMSF* out) {
  const std::u16string typed = plat::Utf8ToUtf16(text);
  if (!TimecodeLabelForm(text)) {
    PrintErr(which + FormatText(LoadString(kStrTimecodeUnreadable), {std::u16string_view(typed)}));
    return false;
  }
  if (!ParseTimecodeLabel(text, tc.tcBase, *out)) {
    PrintErr(which + FormatText(LoadString(kStrTimecodeNotAtRate),
                                {std::u16string_view(typed),
                                 std::u16string_view(FormatFrameRateMode(tc.frameRateClass, tc.dropFrame))}));
    return false;
  }
  if (IsSkippedLabel(tc.tcBase, tc.dropFrame, *out)) {
    TIMECODE_HMSF moved = *out;
    const int32_t frames = TimecodeToFrames(tc.tcBase, tc.dropFrame, moved);
    PrintErr(which + FormatText(LoadString(kStrTimecodeSkipped),
                                {std::u16string_view(typed),
                                 std::u16string_view(FormatTimecode(tc.tcBase, tc.dropFrame, frames))}));
    return false;
  }
  return true;
}

}  // namespace

bool TimecodeLabelForm(const std::string& text) {
  // The form alone: any two digits in each field, the separators in place.
  std::string digitsOnly = text;
  for (size_t i = 0; i < digitsOnly.size(); ++i) {
    if (i % 3 != 2 && digitsOnly[i] >= '0' && digitsOnly[i] <= '9') digitsOnly[i] = '0';
  }
  TIMECODE_HMSF unused;
  return ParseTimecodeLabel(digitsOnly, TC_BASE_24, unused);
}

bool RangeLabelForms(const std::string& inText, const std::string& outText) {
  for (const std::string* text : {&inText, &outText}) {
    if (!TimecodeLabelForm(*text)) {
      PrintErr((text == &inText ? u"IN: " : u"OUT: ") +
               FormatText(LoadString(kStrTimecodeUnreadable), {std::u16string_view(plat::Utf8ToUtf16(*text))}));
      return false;
    }
  }
  return true;
}

int EnterCommandRange(const MXF_TIMECODE_INFO& tc, const std::string& inText, const std::string& outText,
                      RangeEntryKind kind, uint32_t in[2], uint32_t out[2]) {
  TIMECODE_HMSF inLabel, outLabel;
  if (!ReadLabel(tc, u"IN: ", inText, &inLabel) || !ReadLabel(tc, u"OUT: ", outText, &outLabel)) return kExitUsage;
  const RangePointResult first = PlaceRangePoint(tc, inLabel, kind, nullptr);
  if (!first.message.empty()) {
    PrintErr(u"IN: " + first.message);
    return kExitRefused;
  }
  const RangePointResult last = PlaceRangePoint(tc, outLabel, kind, first.point);
  if (!last.message.empty()) {
    PrintErr(u"OUT: " + last.message);
    return kExitRefused;
  }
  for (int i = 0; i < 2; ++i) {
    in[i] = first.point[i];
    out[i] = last.point[i];
  }
  return -1;
}

std::u16string RangePointLabel(const MXF_TIMECODE_INFO& tc, uint32_t plainFrame) {
  int64_t f = plainFrame;
  if (const TC_BASE_UNITS* u = TcBaseUnits(tc.tcBase)) f %= static_cast<int64_t>(u->framesPerHour) * 24;
  return FormatTimecode(tc.tcBase, tc.dropFrame, static_cast<int32_t>(f));
}

}  // namespace cli
