#include "tools/key_syntax.h"

#include <gtest/gtest.h>

#include "engine/wbtrv32.h"

namespace recmgr {
namespace {

TEST(KeySpecTest, ParsesSegmentsTypesAndFlags) {
  KeyDefinition key;
  std::string error;
  ASSERT_TRUE(
      ParseKeySpec("4:20:string+0:4:unsigned+30:8:signed+40:3:binary:dup,mod,nocase", &key, &error))
      << error;
  ASSERT_EQ(key.segments.size(), 4u);
  EXPECT_EQ(key.segments[0].offset, 4);
  EXPECT_EQ(key.segments[0].length, 20);
  EXPECT_EQ(key.segments[0].type, kKeyTypeString);
  EXPECT_EQ(key.segments[1].type, kKeyTypeUnsigned);
  EXPECT_EQ(key.segments[2].type, kKeyTypeSigned);
  EXPECT_EQ(key.segments[3].offset, 40);
  EXPECT_EQ(key.segments[3].type, kKeyTypeBinary);
  EXPECT_EQ(key.flags, kKeyDuplicates | kKeyModifiable | kKeyCaseInsensitive);
  EXPECT_EQ(key.ValueLength(), 35u);
}

TEST(KeySpecTest, FormatReadsBack) {
  for (const char* spec : {"0:4:unsigned", "4:24:string:dup", "0:4:unsigned:dup,mod",
                           "10:2:signed+0:253:binary:mod,nocase"}) {
    SCOPED_TRACE(spec);
    KeyDefinition key;
    std::string error;
    ASSERT_TRUE(ParseKeySpec(spec, &key, &error)) << error;
    EXPECT_EQ(FormatKeySpec(key), spec);
  }
}

TEST(KeySpecTest, RejectsFaultsWithASentence) {
  struct Case {
    const char* spec;
    const char* error_part;
  };
  const Case cases[] = {
      {"", "is not OFFSET:LENGTH:TYPE"},
      {"0:4", "is not OFFSET:LENGTH:TYPE"},
      {"0:4:unsigned:dup:mod", "is not OFFSET:LENGTH:TYPE"},
      {"0:4:unsigned:dup+4:2:string", "flags go after the last segment"},
      {"x:4:string", "offset \"x\" is not a number"},
      {"0:-1:string", "length \"-1\" is not a number"},
      {"0:70000:string", "length \"70000\" is not a number from 0 to 63000"},
      {"0:0:string", "length must be at least 1"},
      {"62999:2:string", "must end within 63000 bytes"},
      {"0:4:text", "unknown type \"text\""},
      {"0:3:unsigned", "1, 2, 4 or 8 bytes long, not 3"},
      {"0:16:signed", "not 16"},
      {"0:4:unsigned:unique", "unknown flag \"unique\""},
      {"0:4:unsigned:dup,", "unknown flag \"\""},
      {"0:200:string+200:56:string", "256 bytes long; at most 255"},
      {"0:4:unsigned+", "segment \"\" is not"},
  };
  for (const Case& c : cases) {
    KeyDefinition key;
    std::string error;
    EXPECT_FALSE(ParseKeySpec(c.spec, &key, &error)) << c.spec;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.spec << ": " << error;
  }
}

}  // namespace
}  // namespace recmgr
