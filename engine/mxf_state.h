// One loaded file's records, linked together the way the application links
// them at start-up: the base record, its attached records and the two arrays
// the analysis builds. Used by the command-line tool, the desktop
// application and the tests.
#pragma once

#include <vector>

#include "engine/mxf_records.h"

struct MxfState {
  MXF_BASE_INFO base;
  MXF_TIMECODE_INFO timecode;
  MXF_AUDIO_INFO audio;
  MXF_VIDEO_INFO video;
  std::vector<MXF_PARTITION_INFO> partitions;
  std::vector<INDEX_ENTRY_ARRAY> indexEntries;

  MxfState() {
    base.partitions = &partitions;
    base.timecode = &timecode;
    base.audio = &audio;
    base.video = &video;
    base.indexEntries = &indexEntries;
  }
  MxfState(const MxfState&) = delete;
  MxfState& operator=(const MxfState&) = delete;
};
