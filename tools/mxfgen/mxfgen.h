// mxfgen: writes OP1a frame-wrapped MXF files of the kind Velmora reads,
// with chosen variants and faults, and reports where it put every byte.
#pragma once

#include <string>

#include "tools/mxfgen/layout.h"
#include "tools/mxfgen/options.h"
#include "tools/mxfgen/sample_pattern.h"
#include "tools/mxfgen/timecode_label.h"

namespace mxfgen {

// Writes the file; `out` (may be null) receives the layout. False with a
// message on invalid options or I/O failure.
bool WriteMxf(const std::string& path, const Options& opt, Layout* out, std::string* error);

// The layout WriteMxf would produce, without writing anything.
bool PlanMxf(const Options& opt, Layout* out, std::string* error);

}  // namespace mxfgen
