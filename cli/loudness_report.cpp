#include "cli/loudness_report.h"

#include <cstdio>

#include "cli/json_envelope.h"
#include "cli/json_writer.h"
#include "platform/text.h"

namespace cli {

namespace {

std::string Verdict(const LOUDNESS_RESULT& r, const LOUDNESS_TARGET& t) {
  const bool i = IntegratedPasses(r, t);
  const bool p = TruePeakPasses(r, t);
  if (i && p) return "pass";
  if (!i && !p) return "FAIL: loudness, true peak";
  return i ? "FAIL: true peak" : "FAIL: loudness";
}

std::string Line(const char* format, const std::string& a, const std::string& b, const std::string& c,
                 const std::string& d, const std::string& e, const std::string& f, const std::string& g) {
  char text[256];
  std::snprintf(text, sizeof text, format, a.c_str(), b.c_str(), c.c_str(), d.c_str(), e.c_str(), f.c_str(),
                g.c_str());
  return text;
}

}  // namespace

bool AllPass(const LoudnessReport& report) {
  for (const LoudnessRow& row : report.rows) {
    if (!LoudnessPasses(row.result, report.target)) return false;
  }
  return true;
}

std::string LoudnessTable(const LoudnessReport& report) {
  std::string out = "file: " + plat::Utf16ToUtf8(report.file) + "\n";
  if (!report.wav) {
    out += "range: " + plat::Utf16ToUtf8(report.in) + " - " + plat::Utf16ToUtf8(report.out) + " (" +
           std::to_string(report.frames) + " frames)\n";
  }
  const LOUDNESS_TARGET& t = report.target;
  out += "target: " + LoudnessText(t.integrated) + " LKFS +/-" + LoudnessText(t.tolerance) +
         " LU, true peak at most " + LoudnessText(t.truePeak) + " dBTP\n";
  const char* format = "%-10s %11s %8s %8s %8s %10s  %s\n";
  out += Line(format, "", "integrated", "range", "max M", "max S", "true peak", "");
  out += Line(format, "", "LKFS", "LU", "LKFS", "LKFS", "dBTP", "");
  for (const LoudnessRow& row : report.rows) {
    const LOUDNESS_RESULT& r = row.result;
    out += Line(format, row.name, LoudnessText(r.integrated), LoudnessText(r.range), LoudnessText(r.maxMomentary),
                LoudnessText(r.maxShortTerm), TruePeakText(r.truePeak), Verdict(r, t));
  }
  return out;
}

void PrintLoudnessJson(const LoudnessReport& report, int status, int exitStatus) {
  JsonWriter w;
  BeginJsonEnvelope(w, "loudness");
  WriteJsonFile(w, report.file);
  w.String("kind", report.wav ? "wav" : "mxf");
  if (!report.wav && report.frames > 0) {
    w.String("in", report.in).String("out", report.out).Number("frames", report.frames);
  }
  w.BeginObject("target")
      .Real("integrated", report.target.integrated, 1)
      .Real("tolerance", report.target.tolerance, 1)
      .Real("true_peak", report.target.truePeak, 1)
      .EndObject();
  if (status == LOUDNESS_OK) {
    w.BeginArray("rows");
    for (const LoudnessRow& row : report.rows) {
      const LOUDNESS_RESULT& r = row.result;
      w.BeginObject().String("name", row.name).BeginArray("tracks");
      for (int t : row.tracks) w.Number({}, t);
      w.EndArray();
      w.String("layout", row.stereo ? "stereo" : "mono");
      w.Real("integrated", r.integrated).Real("loudness_range", r.range);
      w.Real("max_momentary", r.maxMomentary).Real("max_short_term", r.maxShortTerm).Real("true_peak", r.truePeak);
      w.Number("samples", static_cast<int64_t>(r.sampleFrames));
      w.Bool("integrated_pass", IntegratedPasses(r, report.target));
      w.Bool("true_peak_pass", TruePeakPasses(r, report.target));
      w.Bool("pass", LoudnessPasses(r, report.target));
      w.EndObject();
    }
    w.EndArray();
    w.Bool("all_pass", AllPass(report));
  }
  JsonResult result;
  result.code = status;
  result.exitStatus = exitStatus;
  result.message = LoudnessStatusText(status);
  WriteJsonResult(w, result);
  PrintJsonEnvelope(w);
}

}  // namespace cli
