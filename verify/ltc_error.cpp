#include "verify/ltc_error.h"

#include <new>

LTC_ERROR_ENTRY* AppendLtcError(LTC_ERROR_ENTRY* head, const LTC_ERROR_ENTRY& values) {
  if (head == nullptr) return nullptr;
  auto* entry = new (std::nothrow) LTC_ERROR_ENTRY{};
  if (entry == nullptr) return nullptr;
  entry->occurrenceFrames = values.occurrenceFrames;
  entry->resumeFrames = values.resumeFrames;
  entry->comparedA = values.comparedA;
  entry->comparedB = values.comparedB;
  entry->kind = values.kind;
  entry->frameIndex = values.frameIndex;

  // head->prev caches the tail; fall back to a walk when it was not kept
  // (a head whose list was built elsewhere).
  LTC_ERROR_ENTRY* tail = head->prev;
  if (tail == nullptr || tail->next != nullptr) {
    tail = head;
    while (tail->next != nullptr) tail = tail->next;
  }
  entry->prev = tail;
  tail->next = entry;
  head->prev = entry;
  return entry;
}

void FreeLtcErrors(LTC_ERROR_ENTRY* head) {
  if (head == nullptr) return;
  LTC_ERROR_ENTRY* entry = head->next;
  while (entry != nullptr) {
    LTC_ERROR_ENTRY* next = entry->next;
    delete entry;
    entry = next;
  }
  head->next = nullptr;
  head->prev = nullptr;
}

size_t CountLtcErrors(const LTC_ERROR_ENTRY* head) {
  size_t n = 0;
  if (head == nullptr) return 0;
  for (const LTC_ERROR_ENTRY* e = head->next; e != nullptr; e = e->next) ++n;
  return n;
}

const char16_t* LtcErrorKindLabel(int32_t kind) {
  switch (kind) {
    case LTC_JUMP: return u"inc";
    case LTC_BACKWARDS: return u"dec";
    case LTC_STILL: return u"still";
    default: return u"";
  }
}

LTC_ERROR_ENTRY* DefaultLtcErrorHead() {
  static LTC_ERROR_ENTRY head;
  return &head;
}
