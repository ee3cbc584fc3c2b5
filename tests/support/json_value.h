// A strict JSON reader for the tests of the tool's --json output: one value
// (RFC 8259: no trailing commas, no raw control characters in strings, no
// leading zeros, escapes including surrogate pairs), or an error naming the
// offset. Used only by tests, so that an escaping fault shows up as text
// that does not parse or as a string that does not come back as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace jsontest {

struct Value {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // a string's UTF-8
  std::vector<Value> items;
  std::vector<std::pair<std::string, Value>> members;

  // The member named `key`; a null value when there is none.
  const Value& operator[](std::string_view key) const {
    for (const auto& [k, v] : members) {
      if (k == key) return v;
    }
    return Missing();
  }
  const Value& operator[](size_t i) const { return i < items.size() ? items[i] : Missing(); }
  bool Has(std::string_view key) const {
    for (const auto& m : members) {
      if (m.first == key) return true;
    }
    return false;
  }

 private:
  static const Value& Missing() {
    static const Value none;
    return none;
  }
};

namespace detail {

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}

  bool Document(Value* out, std::string* error) {
    Space();
    if (!ValueAt(out, 0)) return Fail(error);
    Space();
    if (at_ != s_.size()) {
      why_ = "text after the value";
      return Fail(error);
    }
    return true;
  }

 private:
  bool Fail(std::string* error) const {
    if (error != nullptr) *error = why_ + " at offset " + std::to_string(at_);
    return false;
  }
  bool Bad(const char* why) {
    why_ = why;
    return false;
  }
  void Space() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
  }
  bool Eat(char c) {
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    if (s_.substr(at_, w.size()) != w) return Bad("unknown literal");
    at_ += w.size();
    return true;
  }

  bool ValueAt(Value* v, int depth) {
    if (depth > 64) return Bad("nested too deep");
    if (at_ >= s_.size()) return Bad("value expected");
    switch (s_[at_]) {
      case '{': return Object(v, depth);
      case '[': return Array(v, depth);
      case '"': v->kind = Value::Kind::String; return String(&v->text);
      case 't': v->kind = Value::Kind::Bool; v->boolean = true; return Word("true");
      case 'f': v->kind = Value::Kind::Bool; return Word("false");
      case 'n': v->kind = Value::Kind::Null; return Word("null");
      default: return Number(v);
    }
  }

  bool Object(Value* v, int depth) {
    v->kind = Value::Kind::Object;
    ++at_;
    Space();
    if (Eat('}')) return true;
    for (;;) {
      Space();
      std::string key;
      if (at_ >= s_.size() || s_[at_] != '"') return Bad("member name expected");
      if (!String(&key)) return false;
      Space();
      if (!Eat(':')) return Bad("':' expected");
      Space();
      Value member;
      if (!ValueAt(&member, depth + 1)) return false;
      v->members.emplace_back(std::move(key), std::move(member));
      Space();
      if (Eat('}')) return true;
      if (!Eat(',')) return Bad("',' or '}' expected");
    }
  }

  bool Array(Value* v, int depth) {
    v->kind = Value::Kind::Array;
    ++at_;
    Space();
    if (Eat(']')) return true;
    for (;;) {
      Space();
      Value item;
      if (!ValueAt(&item, depth + 1)) return false;
      v->items.push_back(std::move(item));
      Space();
      if (Eat(']')) return true;
      if (!Eat(',')) return Bad("',' or ']' expected");
    }
  }

  bool Number(Value* v) {
    const size_t start = at_;
    Eat('-');
    if (Eat('0')) {
      if (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') return Bad("leading zero");
    } else if (!Digits()) {
      return Bad("value expected");
    }
    if (Eat('.') && !Digits()) return Bad("digits expected after '.'");
    if (Eat('e') || Eat('E')) {
      if (!Eat('+')) Eat('-');
      if (!Digits()) return Bad("exponent digits expected");
    }
    v->kind = Value::Kind::Number;
    v->number = std::stod(std::string(s_.substr(start, at_ - start)));
    return true;
  }
  bool Digits() {
    const size_t start = at_;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
    return at_ > start;
  }

  bool Hex4(uint32_t* out) {
    if (at_ + 4 > s_.size()) return Bad("four hex digits expected");
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[at_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') v |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= static_cast<uint32_t>(c - 'A' + 10);
      else return Bad("hex digit expected");
    }
    *out = v;
    return true;
  }
  static void Utf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
      out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }

  bool String(std::string* out) {
    ++at_;  // the opening quote
    for (;;) {
      if (at_ >= s_.size()) return Bad("unterminated string");
      const unsigned char c = static_cast<unsigned char>(s_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return Bad("raw control character in a string");
      if (c != '\\') {
        out->push_back(static_cast<char>(c));
        continue;
      }
      if (at_ >= s_.size()) return Bad("unterminated escape");
      const char e = s_[at_++];
      switch (e) {
        case '"': out->push_back('"'); break;
        case '\\': out->push_back('\\'); break;
        case '/': out->push_back('/'); break;
        case 'b': out->push_back('\b'); break;
        case 'f': out->push_back('\f'); break;
        case 'n': out->push_back('\n'); break;
        case 'r': out->push_back('\r'); break;
        case 't': out->push_back('\t'); break;
        case 'u': {
          uint32_t cp = 0;
          if (!Hex4(&cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            uint32_t low = 0;
            if (!Eat('\\') || !Eat('u') || !Hex4(&low) || low < 0xDC00 || low >= 0xE000) {
              return Bad("unpaired surrogate");
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            return Bad("unpaired surrogate");
          }
          Utf8(cp, out);
          break;
        }
        default: return Bad("unknown escape");
      }
    }
  }

  std::string_view s_;
  size_t at_ = 0;
  std::string why_;
};

}  // namespace detail

// Parses `text` as exactly one JSON value; false with *error otherwise.
inline bool Parse(std::string_view text, Value* out, std::string* error = nullptr) {
  *out = Value{};
  return detail::Reader(text).Document(out, error);
}

}  // namespace jsontest
