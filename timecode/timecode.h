// Timecode arithmetic: timecode bases and drop-frame counting, conversions
// between labels, actual frame counts and 48 kHz sample positions (with the
// five-frame sample cycles of the 1000/1001 rates), the 24-hour wrap, parsing
// of typed timecodes and the printed forms.
//
// Pure computation: no state, no I/O, no allocation (except the std::u16string
// convenience overloads), no exceptions. Every function accepts any argument
// value without undefined behaviour; an invalid timecode base or frame-rate
// class yields the failure value documented at the function.
//
// An actual frame count is the number of frames since 00:00:00:00. A label
// count also counts the labels that drop-frame counting skips; without
// dropping both are equal. Wide text is UTF-16 in char16_t buffers: a writer
// stores at most capacity - 1 units and always terminates (nothing is written
// when the buffer is null or the capacity 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How many labels a second of timecode has.
enum TC_BASE : int32_t {
  TC_BASE_24 = 0,
  TC_BASE_25 = 1,
  TC_BASE_30 = 2,
  TC_BASE_60 = 3,
};

// How many 48 kHz samples each frame carries, derived from the edit rate.
enum FRAME_RATE_CLASS : int32_t {
  FRC_24 = 0,         // 24000/1000
  FRC_25 = 1,         // 25000/1000
  FRC_30 = 2,         // 30000/1000
  FRC_60 = 3,         // 60000/1000
  FRC_23_98 = 4,      // 24000/1001
  FRC_25_1001 = 5,    // 25000/1001
  FRC_29_97 = 6,      // 30000/1001
  FRC_59_94 = 7,      // 60000/1001
  FRC_UNSUPPORTED = 8,  // any class above 7 is an unsupported rate
};

inline constexpr int32_t kFrameRateClassCount = 8;

// Samples per frame over the five-frame cycle. Frame n (counted from frame 0
// at midnight) takes entry n mod 5.
inline constexpr int32_t SAMPLES_PER_FRAME[kFrameRateClassCount][5] = {
    {2000, 2000, 2000, 2000, 2000},  // 24
    {1920, 1920, 1920, 1920, 1920},  // 25
    {1600, 1600, 1600, 1600, 1600},  // 30
    {800, 800, 800, 800, 800},       // 60
    {2002, 2002, 2002, 2002, 2002},  // 23.98
    {1920, 1920, 1920, 1920, 1920},  // 25000/1001
    {1602, 1601, 1602, 1601, 1602},  // 29.97
    {801, 801, 800, 801, 801},       // 59.94
};

// Samples per subframe unit (the "+SF" of a position inside a frame).
inline constexpr int32_t SUBFRAME_DIVISOR[kFrameRateClassCount] = {20, 19, 16, 8, 20, 19, 16, 8};

// hours, minutes, seconds, frames. Hours may leave 0..23 during arithmetic.
struct TIMECODE_HMSF {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  int32_t frames = 0;
};

// Work record of a two-operand calculation (see TimecodeCalc).
struct TC_CALC {
  int32_t base = TC_BASE_24;  // TC_BASE
  int32_t dropFrame = 0;
  TIMECODE_HMSF a;
  TIMECODE_HMSF b;
  int32_t framesA = 0;        // actual frame count of a
  int32_t framesB = 0;        // actual frame count of b
  int32_t result = 0;         // actual frame count after the 24-hour wrap
  int32_t resultLabel = 0;    // label count of result
  int32_t resultDropped = 0;  // labels skipped up to resultLabel
};

// The counting units of one timecode base.
struct TC_BASE_UNITS {
  int32_t labelsPerSecond;
  int32_t highestFrameLabel;
  int32_t framesPerHour;
  int32_t framesPerMinute;
  int32_t framesPerSecond;
  int32_t dropPerMinute;  // labels a drop-frame minute skips; 0 for 24 and 25
};

// Units of `base`, or nullptr when it is not one of TC_BASE_24..TC_BASE_60.
const TC_BASE_UNITS* TcBaseUnits(int32_t base);

// ---------------------------------------------------------------------------
// Labels and frame counts

// Actual frame count of a label, or -2 when the label is invalid (minutes or
// seconds above 59, frames above the highest label of the base; negative
// fields and any hour pass) or the base is invalid. In drop-frame counting a
// skipped label (minute not a multiple of 10, second 0, frames below the
// drop amount) is moved to the first label of that minute, in `tc` too.
// A label whose count does not fit 32 bits is also reported as -2.
int32_t TimecodeToFrames(int32_t base, int32_t dropFrame, TIMECODE_HMSF& tc);

// Labels skipped from 00:00:00:00 up to the label count `count`: 0 when the
// counting does not drop (base 24/25, or dropFrame not exactly 1), -1 for an
// invalid base.
int32_t DroppedLabelCount(int32_t base, int32_t dropFrame, int32_t count);

// Label count of an actual frame count; -1 for an invalid base.
int32_t FramesToLabelCount(int32_t base, int32_t dropFrame, int32_t frames);

// Splits a label count into fields (hours not reduced modulo 24). False, with
// `out` untouched, for an invalid base.
bool LabelCountToTimecode(int32_t labelCount, int32_t base, TIMECODE_HMSF& out);

// FramesToLabelCount then LabelCountToTimecode: the label of a frame count.
// False, with `out` untouched, for an invalid base.
bool FramesToTimecode(int32_t base, int32_t dropFrame, int32_t frames, TIMECODE_HMSF& out);

// ---------------------------------------------------------------------------
// Calculations with the 24-hour wrap

// op '-': result = a - b, borrowing 24 hours once (a.hours += 24) when a is
// earlier than b. Any other op (normally '+'): result = a + b, wrapped once
// at 24 hours. Fills framesA, framesB, result, resultLabel, resultDropped and
// may raise the frames of a skipped drop-frame label in a and b. False when
// an operand is invalid, the base is invalid or the result does not fit.
bool TimecodeCalc(TC_CALC& calc, int op);

// frames shifted by whole hours ('+' or '-', with the wrap of TimecodeCalc);
// 0 when the base or an operand is invalid.
int32_t ShiftFramesByHours(int32_t base, int32_t dropFrame, int32_t frames, int32_t hours,
                           int op);

// tc + 01:00:00:00 with the 24-hour wrap; 0 when tc or the base is invalid.
int32_t TimecodePlusOneHour(int32_t base, int32_t dropFrame, const TIMECODE_HMSF& tc);

// ---------------------------------------------------------------------------
// Parsing

// Typed text: the last 8 decimal digits ('0'..'9'), anything else ignored,
// right-aligned into hhmmssff ("01:02:03:04", "01020304" and "1020304" are
// the same; "12" is 00:00:00:12). Each field is stored into `out` as it is
// read; false at the first one above its limit (hours 23, minutes 59,
// seconds 59, frames the highest label), or for an invalid base. A null text
// reads as 00:00:00:00. Skipped drop-frame labels are not rejected.
bool ParseTimecodeText(const char16_t* text, int32_t base, TIMECODE_HMSF& out);
bool ParseTimecodeText(std::u16string_view text, int32_t base, TIMECODE_HMSF& out);

// Narrow digit strings (a null text reads as "00000000"); digits collected as
// by ParseTimecodeText, hours up to 47. Returns the actual frame count (a
// skipped drop-frame label counts as the first label of its minute), or -2
// when a field is above its limit or the base is invalid.
int32_t ParseTimecodeDigits(int32_t base, int32_t dropFrame, const char* text);
int32_t ParseTimecodeDigits(int32_t base, int32_t dropFrame, std::string_view text);

// A whole label as written on a command line: "HH:MM:SS:FF", two digits per
// field, ':' between hours, minutes and seconds and one of ':' ';' '.' ','
// before the frames, nothing before or after. Hours 0..23, minutes and
// seconds 0..59, frames up to the highest label of the base. False, with
// `out` untouched, for anything else or an invalid base. Skipped drop-frame
// labels are read as written (see IsSkippedLabel).
bool ParseTimecodeLabel(std::string_view text, int32_t base, TIMECODE_HMSF& out);

// True when drop-frame counting at this base skips the label (second 0 of a
// minute that is not a multiple of 10, frames below the drop amount).
bool IsSkippedLabel(int32_t base, int32_t dropFrame, const TIMECODE_HMSF& tc);

// ---------------------------------------------------------------------------
// Frame rates and sample positions (48 kHz, cycles counted from midnight)

// Class of an edit rate, taken from the reduced fraction (24/1 and 24000/1000
// are the same rate). Anything not in the table gives FRC_UNSUPPORTED.
int32_t FrameRateClassFromEditRate(int32_t numerator, int32_t denominator);

// Samples of frame `frame` (its cycle position is frame mod 5, also for
// negative frames); 0 for an unsupported class.
int32_t SamplesPerFrameAt(int32_t frameRateClass, int64_t frame);

// Samples of frames 0..n-1; 0 for n <= 0, -1 for an unsupported class.
int64_t FramesToSamples(int32_t frames, int32_t frameRateClass);

// The highest frame a sample position can resolve to.
inline constexpr int32_t kSamplePositionFrameLimit = 5184000;

// The frame holding a sample position counted from midnight, and the offset
// into it as subframe (offset / SUBFRAME_DIVISOR) and fract (the remainder).
// A position on a frame boundary gives that frame with offset 0; an end
// position (isEnd) one sample short of a boundary at 29.97 or 59.94 counts
// as the boundary. False, with the outputs untouched, when the position lies
// beyond frame kSamplePositionFrameLimit or the class is unsupported.
bool SampleToFramePosition(uint64_t samplePosition, int32_t frameRateClass, bool isEnd,
                           int32_t& frame, int32_t& subframe, int32_t& fract);

// ---------------------------------------------------------------------------
// Printed forms. Writers return the number of units written (without the
// terminator).

// Style 0: "%02d:%02d:%02d%c%02d" with '.' before the frames when dropFrame
// is non-zero and ':' otherwise; style 1: "%02d%02d%02d%02d". Any other style
// writes nothing. An invalid base prints 00:00:00:00 (00:00:00.00 with
// dropFrame set).
size_t FormatTimecode(char16_t* buffer, size_t capacity, int32_t base, int32_t dropFrame,
                      int32_t frames, int32_t style);
std::u16string FormatTimecode(int32_t base, int32_t dropFrame, int32_t frames, int32_t style = 0);

// "%02d:%02d:%02d%c%02d +%03d *%04d": the style-0 timecode of `frames`, then
// subframe and fract.
size_t FormatTimecodeSubframe(char16_t* buffer, size_t capacity, int32_t base, int32_t dropFrame,
                              int32_t frames, int32_t subframe, int32_t fract);
std::u16string FormatTimecodeSubframe(int32_t base, int32_t dropFrame, int32_t frames,
                                      int32_t subframe, int32_t fract);

// sizeHigh * 2^32 + sizeLow as "%.2f %s" in bytes, KB, MB or GB (quotient in
// single precision). Returns 1 (nothing written) when the buffer is missing
// or has no room, else 0.
int FormatByteSize(uint32_t sizeLow, uint32_t sizeHigh, char16_t* buffer, size_t capacity);
std::u16string FormatByteSize(uint32_t sizeLow, uint32_t sizeHigh);

// "24", "25", "30", "60", "23.98", "29.97", "59.94"; nullptr for 25000/1001
// and unsupported classes (displays print their own placeholder).
const char16_t* FrameRateLabel(int32_t frameRateClass);

// "DF" when dropFrame is non-zero and the class is 29.97 or 59.94, else "NDF".
const char16_t* DropFrameLabel(int32_t frameRateClass, int32_t dropFrame);

// "%s %s": the rate label, a blank and DropFrameLabel ("29.97 DF", "25 NDF").
// Writes nothing (returns 0 / an empty string) for a class without a label.
size_t FormatFrameRateMode(char16_t* buffer, size_t capacity, int32_t frameRateClass,
                           int32_t dropFrame);
std::u16string FormatFrameRateMode(int32_t frameRateClass, int32_t dropFrame);
