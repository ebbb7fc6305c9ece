#include "platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace repoint {
namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::vector<int> codes;
};

std::vector<int> DrainCodes(KeyDecoder& decoder) {
  std::vector<int> codes;
  while (decoder.CodeWaiting()) codes.push_back(decoder.NextCode());
  return codes;
}

const DecodeCase kDecodeCases[] = {
    {"Letters", "ab1", {'a', 'b', '1'}},
    {"ControlCharacters", "\r\t\x7f", {13, 9, 127}},
    {"HighBytesStayBytes", "\xc3\xa9", {0xc3, 0xa9}},
    {"LoneEsc", "\x1b", {27}},
    {"EscPressedTwice", "\x1b\x1b", {27, 27}},
    {"KeysThenEsc", "abc\x1b", {'a', 'b', 'c', 27}},
    {"CsiUp", "\x1b[A", {224, 72}},
    {"CsiDown", "\x1b[B", {224, 80}},
    {"CsiRight", "\x1b[C", {224, 77}},
    {"CsiLeft", "\x1b[D", {224, 75}},
    {"CsiHome", "\x1b[H", {224, 71}},
    {"CsiEnd", "\x1b[F", {224, 79}},
    {"CsiCtrlUp", "\x1b[1;5A", {224, 72}},
    {"Ss3Up", "\x1bOA", {224, 72}},
    {"Ss3Home", "\x1bOH", {224, 71}},
    {"Ss3End", "\x1bOF", {224, 79}},
    {"Ss3F1", "\x1bOP", {0, 59}},
    {"Ss3F4", "\x1bOS", {0, 62}},
    {"CsiShiftF1", "\x1b[1;2P", {0, 59}},
    {"TildeHome", "\x1b[1~", {224, 71}},
    {"TildeInsert", "\x1b[2~", {224, 82}},
    {"TildeDelete", "\x1b[3~", {224, 83}},
    {"TildeEnd", "\x1b[4~", {224, 79}},
    {"TildePageUp", "\x1b[5~", {224, 73}},
    {"TildePageDown", "\x1b[6~", {224, 81}},
    {"RxvtHome", "\x1b[7~", {224, 71}},
    {"RxvtEnd", "\x1b[8~", {224, 79}},
    {"TildeF1", "\x1b[11~", {0, 59}},
    {"TildeF5", "\x1b[15~", {0, 63}},
    {"TildeF6", "\x1b[17~", {0, 64}},
    {"TildeF10", "\x1b[21~", {0, 68}},
    {"TildeF11", "\x1b[23~", {224, 133}},
    {"TildeF12", "\x1b[24~", {224, 134}},
    {"CtrlDelete", "\x1b[3;5~", {224, 83}},
    {"LinuxConsoleF1", "\x1b[[A", {0, 59}},
    {"LinuxConsoleF5", "\x1b[[E", {0, 63}},
    {"AltLetter",
     "\x1b"
     "x",
     {}},
    {"AltLetterThenLetter",
     "\x1b"
     "xy",
     {'y'}},
    {"UnknownTilde", "\x1b[99~", {}},
    {"UnknownCsi", "\x1b[5n", {}},
    {"MouseReport", "\x1b[<0;3;4M", {}},
    {"UnfinishedCsi", "\x1b[1;", {}},
    {"UnfinishedSs3", "\x1bO", {}},
    {"BrokenCsiKeepsNextKey", "\x1b[1\x03", {3}},
    {"SequenceBetweenKeys", "a\x1b[Ab", {'a', 224, 72, 'b'}},
    {"SequenceThenEsc", "\x1b[A\x1b", {224, 72, 27}},
};

class KeyDecoderSequenceTest : public testing::TestWithParam<DecodeCase> {};

// However the bytes are split over several reads, as long as no flush comes
// between them, they decode alike.
TEST_P(KeyDecoderSequenceTest, DecodesAtEverySplit) {
  const DecodeCase& c = GetParam();
  for (std::size_t split = 0; split <= c.bytes.size(); ++split) {
    KeyDecoder decoder;
    decoder.Feed(std::string_view(c.bytes).substr(0, split));
    decoder.Feed(std::string_view(c.bytes).substr(split));
    decoder.Flush();
    EXPECT_EQ(DrainCodes(decoder), c.codes) << "split at " << split;
    EXPECT_FALSE(decoder.Incomplete());
  }
}

INSTANTIATE_TEST_SUITE_P(Sequences, KeyDecoderSequenceTest, testing::ValuesIn(kDecodeCases),
                         [](const testing::TestParamInfo<DecodeCase>& info) {
                           return std::string(info.param.name);
                         });

// A trailing Esc is held back until the caller flushes: only then is it
// known not to start a sequence.
TEST(KeyDecoderTest, HoldsBackEscUntilFlush) {
  KeyDecoder decoder;
  decoder.Feed("a\x1b");
  EXPECT_TRUE(decoder.Incomplete());
  EXPECT_EQ(DrainCodes(decoder), std::vector<int>{'a'});
  decoder.Feed("[");
  EXPECT_TRUE(decoder.Incomplete());
  decoder.Feed("A");
  EXPECT_FALSE(decoder.Incomplete());
  EXPECT_EQ(DrainCodes(decoder), (std::vector<int>{224, 72}));
}

// A flush between Esc and the next byte makes them two keys.
TEST(KeyDecoderTest, FlushSeparatesEscFromNextKey) {
  KeyDecoder decoder;
  decoder.Feed("\x1b");
  decoder.Flush();
  decoder.Feed("[A");
  EXPECT_EQ(DrainCodes(decoder), (std::vector<int>{27, '[', 'A'}));
}

// Noise that never ends is dropped rather than held back for ever.
TEST(KeyDecoderTest, DropsOverlongSequence) {
  KeyDecoder decoder;
  decoder.Feed("\x1b[" + std::string(40, '1'));
  EXPECT_FALSE(decoder.Incomplete());
  decoder.Feed("a");
  EXPECT_EQ(DrainCodes(decoder), std::vector<int>{'a'});
}

}  // namespace
}  // namespace repoint
