#include "platform/key_decoder.h"

#include <cstdlib>

namespace repoint {
namespace {

constexpr char kEsc = 27;
constexpr int kEscCode = 27;

// The two codes of a PC keyboard for a key without a character.
struct PcKey {
  int lead;
  int code;
};

constexpr PcKey kNoKey = {-1, -1};
constexpr PcKey kHome = {224, 71}, kUp = {224, 72}, kPageUp = {224, 73}, kLeft = {224, 75},
                kRight = {224, 77}, kEnd = {224, 79}, kDown = {224, 80}, kPageDown = {224, 81},
                kInsert = {224, 82}, kDelete = {224, 83}, kF11 = {224, 133}, kF12 = {224, 134};

constexpr PcKey FunctionKey(int n) { return {0, 58 + n}; }  // F1 to F10

// Longest sequence taken as still unfinished; anything longer is noise
// and dropped rather than held back for ever.
constexpr std::size_t kLongestSequence = 32;

// The key named by the final letter of a CSI or SS3 sequence.
PcKey KeyOfFinalLetter(char letter) {
  switch (letter) {
    case 'A':
      return kUp;
    case 'B':
      return kDown;
    case 'C':
      return kRight;
    case 'D':
      return kLeft;
    case 'H':
      return kHome;
    case 'F':
      return kEnd;
    case 'P':
      return FunctionKey(1);
    case 'Q':
      return FunctionKey(2);
    case 'R':
      return FunctionKey(3);
    case 'S':
      return FunctionKey(4);
    default:
      return kNoKey;
  }
}

// The key named by the number of a "CSI number ~" sequence (xterm, VT220
// and rxvt numbering).
PcKey KeyOfTildeNumber(int number) {
  switch (number) {
    case 1:
    case 7:
      return kHome;
    case 2:
      return kInsert;
    case 3:
      return kDelete;
    case 4:
    case 8:
      return kEnd;
    case 5:
      return kPageUp;
    case 6:
      return kPageDown;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return FunctionKey(number - 10);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return FunctionKey(number - 11);
    case 23:
      return kF11;
    case 24:
      return kF12;
    default:
      return kNoKey;
  }
}

bool IsParameterByte(char c) { return c >= 0x30 && c <= 0x3F; }
bool IsIntermediateByte(char c) { return c >= 0x20 && c <= 0x2F; }
bool IsFinalByte(char c) { return c >= 0x40 && c <= 0x7E; }

// The key of a complete CSI sequence: its parameter bytes and final byte.
PcKey KeyOfCsi(std::string_view parameters, char final_byte) {
  // Private parameters ("<", "=", ">", "?") belong to reports, not keys.
  if (!parameters.empty() && parameters.front() >= 0x3C) return kNoKey;
  if (final_byte == '~') return KeyOfTildeNumber(std::atoi(std::string(parameters).c_str()));
  return KeyOfFinalLetter(final_byte);
}

}  // namespace

void KeyDecoder::Feed(std::string_view bytes) {
  pending_.append(bytes);
  while (!pending_.empty()) {
    const std::size_t used = DecodeOne();
    if (used == 0) {
      if (pending_.size() > kLongestSequence) pending_.clear();
      return;
    }
    pending_.erase(0, used);
  }
}

void KeyDecoder::Flush() {
  if (pending_.size() == 1 && pending_[0] == kEsc) codes_.push_back(kEscCode);
  pending_.clear();
}

int KeyDecoder::NextCode() {
  const int code = codes_.front();
  codes_.pop_front();
  return code;
}

std::size_t KeyDecoder::DecodeOne() {
  const std::string_view s = pending_;
  if (s[0] != kEsc) {
    codes_.push_back(static_cast<unsigned char>(s[0]));
    return 1;
  }
  if (s.size() < 2) return 0;
  if (s[1] == kEsc) {
    codes_.push_back(kEscCode);
    return 1;
  }
  if (s[1] == 'O') {  // SS3
    if (s.size() < 3) return 0;
    const PcKey key = KeyOfFinalLetter(s[2]);
    PushKey(key.lead, key.code);
    return 3;
  }
  if (s[1] != '[') return 2;  // Alt+key: dropped

  // CSI. The Linux console sends F1 to F5 as "CSI [ A" to "CSI [ E".
  if (s.size() >= 3 && s[2] == '[') {
    if (s.size() < 4) return 0;
    if (s[3] >= 'A' && s[3] <= 'E') PushKey(0, 59 + (s[3] - 'A'));
    return 4;
  }
  std::size_t i = 2;
  while (i < s.size() && IsParameterByte(s[i])) ++i;
  const std::string_view parameters = s.substr(2, i - 2);
  while (i < s.size() && IsIntermediateByte(s[i])) ++i;
  if (i == s.size()) return 0;
  if (!IsFinalByte(s[i])) return i;  // broken off: drop what came so far
  const PcKey key = KeyOfCsi(parameters, s[i]);
  PushKey(key.lead, key.code);
  return i + 1;
}

void KeyDecoder::PushKey(int lead, int code) {
  if (lead < 0) return;
  codes_.push_back(lead);
  codes_.push_back(code);
}

}  // namespace repoint
