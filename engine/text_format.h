// printf-style composition of UTF-16 texts (messages and logs). Supports
// %s (UTF-16 text), %d / %u / %X with optional '0' flag and width, %c, %%.
// The result is never cut: callers that need a capacity cut it themselves.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

using FormatArg = std::variant<int64_t, std::u16string_view>;

std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args);

// Copies text into a zero-terminated buffer of `capacity` units, cutting it
// to capacity - 1 units.
void CopyText(char16_t* dest, size_t capacity, std::u16string_view text);
