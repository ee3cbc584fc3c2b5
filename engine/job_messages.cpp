// Result codes to messages: one table of string ids per step, and the
// message formats the runner composes with file name, section and process.
#include <map>

#include "engine/job_runner.h"
#include "engine/text_format.h"
#include "platform/sys_error.h"
#include "platform/text.h"
#include "resources/string_table.h"

namespace {

struct Section {
  int stepCode;
  const char16_t* name;
};

constexpr Section kSections[] = {
    {0, u"N/A"},
    {100, u"File size"},
    {200, u"Randam Index Table"},
    {300, u"PreFace set"},
    {400, u"TimeCode Component"},
    {500, u"File Package"},
    {600, u"Index Table Segment"},
    {700, u"Audio Descriptor"},
    {800, u"Video Descriptor"},
    {900, u"Identification info"},
    {1000, u"TC analysis"},
    {2000, u"Audio Wrapping by Mapping"},
    {3000, u"Audio Wrapping by File API"},
    {4000, u"Make BWF File by Mapping"},
    {5000, u"Make BWF File by File API"},
};

constexpr int kUndefinedCodeString = 251;  // "エラーコード未定です。"

// Failure code -> string id. Codes not listed show string 251.
const std::map<int, int>& CodeStrings() {
  static const std::map<int, int> table = {
      {2, 241},
      {101, 228},
      {201, 230}, {202, 231}, {203, 232}, {204, 233}, {205, 234}, {206, 235}, {207, 236},
      {301, 237}, {302, 238}, {303, 239}, {304, 240}, {305, 289}, {306, 290}, {307, 291}, {308, 292},
      {401, 293}, {402, 241}, {403, 294}, {404, 295}, {405, 296}, {406, 297}, {407, 298}, {408, 460},
      {501, 299}, {502, 300}, {503, 301}, {504, 302},
      {601, 242}, {602, 303}, {603, 304}, {604, 305}, {605, 306}, {606, 307}, {607, 137}, {608, 461},
      {701, 105}, {702, 106}, {703, 243}, {704, 244}, {705, 107}, {706, 108}, {707, 110}, {708, 111},
      {801, 247}, {802, 248}, {803, 249}, {804, 112}, {805, 113}, {806, 114}, {807, 115},
      {901, 116}, {902, 117}, {903, 118},
      {1001, 129}, {1002, 130}, {1003, 131}, {1004, 132}, {1005, 133}, {1006, 134}, {1007, 135},
      {1008, 260}, {1009, 136},
      {2001, 253}, {2002, 254}, {2003, 255}, {2004, 256}, {2005, 257}, {2006, 258}, {2007, 259},
      {2008, 269}, {2009, 124}, {2010, 125}, {2011, 126}, {2012, 119}, {2013, 127},
      {3001, 229}, {3002, 245}, {3003, 246}, {3004, 265}, {3005, 266}, {3006, 267}, {3007, 268},
      {3008, 269}, {3009, 278},
      {4001, 270}, {4002, 271}, {4003, 272}, {4004, 273}, {4005, 274}, {4006, 275}, {4007, 276},
      {4008, 122}, {4009, 121},
      {5001, 279}, {5002, 280}, {5003, 281}, {5004, 282}, {5005, 274}, {5007, 275}, {5008, 285},
      // Failures found beyond the original table: an unreadable partition
      // pack, an unsupported timecode base, sound elements that do not sit
      // where the index says, failed reads and writes, ranges too long for a
      // RIFF file, the export's read buffer, the undo journal, and files
      // refused for their structure at the analysis.
      {210, 401}, {1010, 402}, {1011, 462},
      {2014, 410}, {2015, 411}, {2016, 412}, {3014, 410}, {3015, 411}, {3016, 412},
      {2017, 415}, {2018, 416}, {2019, 417}, {3017, 415}, {3018, 416}, {3019, 417},
      {4014, 420}, {4015, 421}, {4016, 422}, {4017, 424},
      {5006, 423}, {5014, 420}, {5015, 421}, {5016, 422}, {5017, 424},
  };
  return table;
}

}  // namespace

const char16_t* SectionName(int stepCode) {
  for (const Section& s : kSections) {
    if (s.stepCode == stepCode) return s.name;
  }
  return kSections[0].name;
}

const char16_t* ProcessName(int ioMethod) {
  return ioMethod == IO_FILE ? u"Generic File I/O" : u"Memory Mapping";
}

const char16_t* OperationName(int jobMode) {
  return LoadStringById(jobMode == JOB_EXPORT ? kStrOperationExport : kStrOperationRewrap);
}

int MessageStringId(int stepCode, int code) {
  // Only the cells of the section's own row: columns 1 ... 13, and the
  // columns up to 19 that hold our later failure codes.
  int column = code - stepCode;
  if (column < 1 || column > 19) return kUndefinedCodeString;
  auto it = CodeStrings().find(code);
  return it == CodeStrings().end() ? kUndefinedCodeString : it->second;
}

std::u16string ReasonText(int stepCode, int code) {
  return LoadString(MessageStringId(stepCode, code));
}

std::u16string ComposeLoadFailure(std::u16string_view fileName, int stepCode, int code, int ioMethod) {
  const std::u16string reason = ReasonText(stepCode, code);
  return FormatText(
      LoadString(kStrLoadFailure),
      {fileName, std::u16string_view(reason), std::u16string_view(SectionName(stepCode)),
       static_cast<int64_t>(code), std::u16string_view(ProcessName(ioMethod))});
}

std::u16string ComposeVerifyFailure(std::u16string_view fileName, int code) {
  const std::u16string reason = ReasonText(1000, code);
  return FormatText(LoadString(kStrVerifyFailure),
                    {fileName, std::u16string_view(reason), std::u16string_view(u"TC analysis"),
                     static_cast<int64_t>(code)});
}

std::u16string ComposeVerifyCancelled(std::u16string_view fileName) {
  return FormatText(LoadString(kStrVerifyCancelled), {fileName});
}

std::u16string ComposeJobDone(std::u16string_view fileName, int jobMode, int ioMethod) {
  return FormatText(LoadString(kStrJobDone),
                    {fileName, std::u16string_view(OperationName(jobMode)),
                     std::u16string_view(ProcessName(ioMethod))});
}

std::u16string ComposeJobCancelled(std::u16string_view fileName, int jobMode, int ioMethod) {
  return FormatText(LoadString(kStrJobCancelled),
                    {fileName, std::u16string_view(OperationName(jobMode)),
                     std::u16string_view(ProcessName(ioMethod))});
}

std::u16string ComposeJobFailure(std::u16string_view fileName, int jobMode, int stepCode, int code,
                                 int ioMethod) {
  const std::u16string reason = ReasonText(stepCode, code);
  return FormatText(LoadString(kStrJobFailure),
                    {fileName, std::u16string_view(OperationName(jobMode)), std::u16string_view(reason),
                     static_cast<int64_t>(code), std::u16string_view(ProcessName(ioMethod))});
}

std::u16string ComposeJobCause(const JobMessage& m) {
  if (m.causeError == 0) return {};
  // The system's own words and its code in decimal, as the user would look it up.
  const std::u16string words = plat::Utf8ToUtf16(plat::DescribeError(m.causeError));
  const std::u16string code = plat::Utf8ToUtf16(plat::ErrorCodeText(m.causeError));
  return FormatText(LoadString(kStrJobOsCause),
                    {std::u16string_view(m.causePath), std::u16string_view(words), std::u16string_view(code)});
}
