// Hints that fault in the pages of a mapped view ahead of their use, one
// call for a whole range instead of one page fault per page. They change no
// byte: a range prepared for writing gets its pages made writable (and thus
// dirty), so it must cover only bytes the caller is about to write anyway.
// Errors are ignored: the accesses then fault page by page as usual.
#pragma once

#include <cstddef>
#include <cstdint>

void PrefaultForRead(const uint8_t* data, size_t bytes);
void PrefaultForWrite(uint8_t* data, size_t bytes);
