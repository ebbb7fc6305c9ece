// Turns the bytes that a terminal sends for key presses into the codes of a
// PC keyboard: a key that yields a character reads as its byte, a lone Esc
// as 27, and a cursor, editing or function key, which a terminal sends as
// an escape sequence (xterm and VT forms: CSI, SS3 and "~" sequences, and
// the Linux console's F1 to F5), as a lead code followed by a second code:
//
//   Home 224 71   Up 224 72     PgUp 224 73   Left 224 75   Right 224 77
//   End 224 79    Down 224 80   PgDn 224 81   Insert 224 82 Delete 224 83
//   F1 to F10: 0 59 to 0 68     F11 224 133   F12 224 134
//
// Modifiers on these keys are not told apart. An escape sequence, an
// Alt+key (Esc followed by the key's byte) or an unknown sequence never
// yields 27; it yields its two codes or nothing at all. Esc followed at once
// by another Esc is a lone Esc, so Esc pressed twice still reads as 27.
//
// The decoder knows nothing of time. Bytes fed together, or fed before
// Flush(), count as arriving together; the caller decides when a pending
// Esc has waited long enough to be a key of its own.
#ifndef REPOINT_PLATFORM_KEY_DECODER_H_
#define REPOINT_PLATFORM_KEY_DECODER_H_

#include <deque>
#include <string>
#include <string_view>

namespace repoint {

class KeyDecoder {
 public:
  // Takes the next bytes that the terminal delivered.
  void Feed(std::string_view bytes);

  // True while the bytes fed so far end in an Esc or an unfinished escape
  // sequence that further bytes could still complete.
  bool Incomplete() const { return !pending_.empty(); }

  // Settles what Incomplete() held back, once no more bytes came in time:
  // a lone Esc becomes 27, an unfinished sequence is dropped.
  void Flush();

  // True when a decoded code is waiting.
  bool CodeWaiting() const { return !codes_.empty(); }

  // The next decoded code, 0 to 255. Only when CodeWaiting() is true.
  int NextCode();

 private:
  // Decodes one key from the front of pending_ and returns how many bytes
  // it took, or 0 when those bytes are an unfinished sequence.
  std::size_t DecodeOne();

  void PushKey(int lead, int code);

  std::string pending_;
  std::deque<int> codes_;
};

}  // namespace repoint

#endif  // REPOINT_PLATFORM_KEY_DECODER_H_
