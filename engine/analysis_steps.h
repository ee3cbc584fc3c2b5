// The analysis steps that read a loaded MXF file's structure, in the order
// the job runner calls them. Each returns 0 or a failure code of its own
// step (step code + 1 ... 13) and fills the records it owns.
#pragma once

#include <cstdint>

#include "engine/mxf_records.h"
#include "platform/file.h"

// Step 200: random index pack and partition packs.
int ReadPartitions(plat::File* file, uint64_t fileSize, MXF_BASE_INFO* base);
// Step 300: preface set, operational pattern, essence containers, version.
int ReadPreface(plat::File* file, MXF_BASE_INFO* base);
// Step 400: first timecode component and first timeline track.
int ReadTimecodeComponent(plat::File* file, MXF_BASE_INFO* base);
// Step 500: file package creation date and the file's modification time.
int ReadFilePackage(plat::File* file, MXF_BASE_INFO* base);
// Step 600: index table segments flattened into the index entry array.
int ReadIndexTable(plat::File* file, MXF_BASE_INFO* base);
// Step 700: audio descriptors and the first frame's sound element.
int ReadAudioDescriptor(plat::File* file, MXF_BASE_INFO* base);
// Step 800: picture descriptor and codec.
int ReadVideoDescriptor(plat::File* file, MXF_BASE_INFO* base);
// Step 900: identification set (its result never stops a load).
int ReadIdentification(plat::File* file, MXF_BASE_INFO* base);

// Clears everything a previous analysis left in the records (fields the
// steps only overwrite when they find an item), before a new file is read.
void ResetAnalysisRecords(MXF_BASE_INFO* base);
