// The 64-bit checksum of the undo journal: XXH64 (seed given), fast enough
// to run over every value a rewrap writes without showing in its time.
#pragma once

#include <cstddef>
#include <cstdint>

uint64_t Checksum64(const void* data, size_t bytes, uint64_t seed = 0);
