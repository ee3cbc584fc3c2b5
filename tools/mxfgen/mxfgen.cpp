#include "tools/mxfgen/mxfgen.h"

#include "tools/mxfgen/essence_writer.h"
#include "tools/mxfgen/file_plan.h"
#include "tools/mxfgen/file_sink.h"
#include "tools/mxfgen/klv_writer.h"

namespace mxfgen {
namespace {

void WriteBytes(FileSink& sink, const Bytes& b) { sink.Write(b.data(), b.size()); }

void WriteFill(FileSink& sink, uint32_t size, uint8_t version) {
  if (!size) return;
  Bytes b;
  PutFill(b, size, version);
  WriteBytes(sink, b);
}

}  // namespace

bool PlanMxf(const Options& opt, Layout* out, std::string* error) {
  Plan plan;
  if (!MakePlan(opt, &plan, error)) return false;
  if (out) DescribePlan(opt, plan, out);
  return true;
}

bool WriteMxf(const std::string& path, const Options& opt, Layout* out, std::string* error) {
  Plan plan;
  if (!MakePlan(opt, &plan, error)) return false;
  FileSink sink;
  if (!sink.Open(path, error)) return false;
  EssenceWriter essence(opt, plan);

  Bytes buf;
  for (const PlannedPartition& part : plan.partitions) {
    buf.clear();
    PutPartitionPack(buf, part.pack);
    if (part.packFill) PutFill(buf, part.packFill, opt.fillKeyVersion);
    if (part.holdsHeaderMetadata) {
      buf.insert(buf.end(), plan.header.bytes.begin(), plan.header.bytes.end());
      if (part.headerFill) PutFill(buf, part.headerFill, opt.fillKeyVersion);
    }
    WriteBytes(sink, buf);
    for (const PlannedSegment& s : part.segments) {
      buf.clear();
      PutIndexSegment(buf, plan.index, s.start, s.count, plan.streamOffset, plan.sliceOffset,
                      static_cast<uint32_t>(s.start) + 1);
      WriteBytes(sink, buf);
    }
    WriteFill(sink, part.indexFill, opt.fillKeyVersion);
    for (int64_t k = 0; k < part.frameCount; ++k) essence.WriteFrame(sink, part.firstFrame + k);
  }
  if (!opt.omit.rip) {
    buf.clear();
    PutRandomIndexPack(buf, plan.rip);
    WriteBytes(sink, buf);
  }
  if (sink.position() != plan.fileSize) {
    if (error) *error = "internal error: wrote " + std::to_string(sink.position()) + " bytes, planned " + std::to_string(plan.fileSize);
    sink.Close(nullptr);
    return false;
  }
  if (!sink.Close(error)) return false;
  if (out) DescribePlan(opt, plan, out);
  return true;
}

}  // namespace mxfgen
