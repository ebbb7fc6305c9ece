#include "tools/escape.h"

#include <cstdio>

namespace recmgr {
namespace {

bool StandsForItself(unsigned char byte) { return byte >= 0x20 && byte <= 0x7e && byte != '\\'; }

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

}  // namespace

void AppendEscaped(std::string_view bytes, std::string* out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out->reserve(out->size() + bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (StandsForItself(byte)) {
      out->push_back(c);
    } else if (c == '\\') {
      out->append("\\\\");
    } else if (c == '\t') {
      out->append("\\t");
    } else if (c == '\n') {
      out->append("\\n");
    } else {
      const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0f]};
      out->append(escape, sizeof escape);
    }
  }
}

std::string Escape(std::string_view bytes) {
  std::string out;
  AppendEscaped(bytes, &out);
  return out;
}

bool Unescape(std::string_view text, std::string* bytes, std::string* error) {
  bytes->clear();
  bytes->reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const std::string column = std::to_string(i + 1);
    if (c != '\\') {
      if (!StandsForItself(static_cast<unsigned char>(c))) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02x", static_cast<unsigned char>(c));
        *error = "column " + column + ": raw byte " + hex + " must be written as an escape";
        return false;
      }
      bytes->push_back(c);
      continue;
    }
    if (i + 1 == text.size()) {
      *error = "column " + column + ": a backslash ends the text";
      return false;
    }
    const char kind = text[++i];
    if (kind == '\\') {
      bytes->push_back('\\');
    } else if (kind == 't') {
      bytes->push_back('\t');
    } else if (kind == 'n') {
      bytes->push_back('\n');
    } else if (kind == 'x') {
      const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
      if (high < 0 || low < 0) {
        *error = "column " + column + ": \\x needs two hex digits";
        return false;
      }
      bytes->push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else {
      *error = "column " + column + ": unknown escape \\" + Escape(std::string_view(&kind, 1)) +
               " (known: \\\\, \\t, \\n, \\xHH)";
      return false;
    }
  }
  return true;
}

}  // namespace recmgr
