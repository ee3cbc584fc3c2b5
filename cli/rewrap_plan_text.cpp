#include "cli/rewrap_plan_text.h"

#include "cli/json_writer.h"
#include "cli/range_args.h"
#include "engine/text_format.h"
#include "platform/text.h"
#include "resources/string_table.h"
#include "rewrap/rewrap_job.h"
#include "rewrap/wav_coverage.h"

namespace cli {

RewrapPlanText DescribeRewrapPlan(const MxfState& state, const AUDIOTRACK_IO_INFO& plan,
                                  const TRACK_STEREO_FLAGS& stereo) {
  RewrapPlanText out;
  const MXF_TIMECODE_INFO& tc = state.timecode;
  const uint32_t sel = RangeSelector(tc);
  const std::u16string inLabel = RangePointLabel(tc, plan.wrapIn[0]);
  const std::u16string outLabel = RangePointLabel(tc, plan.wrapOut[0]);
  const int64_t frames = static_cast<int64_t>(plan.wrapOut[sel]) - plan.wrapIn[sel] + 1;
  out.lines.push_back(FormatText(LoadString(kStrPlanRange),
                                 {std::u16string_view(inLabel), static_cast<int64_t>(plan.wrapIn[0]),
                                  std::u16string_view(outLabel), static_cast<int64_t>(plan.wrapOut[0]), frames}));

  JsonWriter range;
  range.BeginObject();
  range.BeginObject("in").String("timecode", inLabel).Number("frame", plan.wrapIn[0]).EndObject();
  range.BeginObject("out").String("timecode", outLabel).Number("frame", plan.wrapOut[0]).EndObject();
  range.Number("frames", frames).EndObject();
  out.rangeJson = range.str();

  JsonWriter json;
  json.BeginArray();
  std::vector<std::u16string> notes;
  for (int s = 0; s < state.audio.trackCount && s < kTrackSlots; ++s) {
    json.BeginObject().Number("track", s + 1);
    if (plan.trackSwitch[s] != TRACK_ON) {
      json.String("source", std::string_view("untouched")).EndObject();
      continue;
    }
    const WAV_LIBRARY_ENTRY* e = plan.wavEntry[s];
    if (e == nullptr) {
      out.lines.push_back(FormatText(LoadString(kStrPlanTrackSilence), {static_cast<int64_t>(s + 1)}));
      json.String("source", std::string_view("silence")).EndObject();
      continue;
    }
    const std::u16string path(e->fullPath);
    const bool pair = stereo[s] != 0;
    const bool poly = e->format.channels >= 3;
    // "channel" counts from 0 in the JSON; the text counts a multichannel
    // file's channels from 1, as --track N=WAV:C names them.
    const int channel = poly ? plan.wavChannel[s] : pair ? (s % 2) : 0;
    if (poly) {
      out.lines.push_back(FormatText(LoadString(kStrPlanTrackPolyChannel),
                                     {static_cast<int64_t>(s + 1), std::u16string_view(path),
                                      static_cast<int64_t>(channel + 1), static_cast<int64_t>(e->format.channels)}));
    } else {
      out.lines.push_back(pair ? FormatText(LoadString(kStrPlanTrackChannel),
                                            {static_cast<int64_t>(s + 1), std::u16string_view(path),
                                             static_cast<int64_t>(channel)})
                               : FormatText(LoadString(kStrPlanTrackFile),
                                            {static_cast<int64_t>(s + 1), std::u16string_view(path)}));
    }
    json.String("source", std::string_view("wav")).String("wav", path).Number("channel", channel);
    if (poly) json.Number("channels", e->format.channels);
    json.Number("bits", e->format.bitsPerSample);
    const int64_t silentFrom = WavSilenceStart(plan, tc, state.indexEntries, SourceSlot(plan, s));
    if (silentFrom >= 0) {
      const std::u16string from = RangePointLabel(tc, static_cast<uint32_t>(plan.wrapIn[0] + silentFrom));
      notes.push_back(FormatText(LoadString(kStrWavEndsEarly),
                                 {static_cast<int64_t>(s + 1), std::u16string_view(path), std::u16string_view(from)}));
      json.String("silence_from", from);
    }
    json.EndObject();
  }
  json.EndArray();
  out.lines.insert(out.lines.end(), notes.begin(), notes.end());
  out.tracksJson = json.str();
  return out;
}

}  // namespace cli
