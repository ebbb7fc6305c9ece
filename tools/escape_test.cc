#include "tools/escape.h"

#include <gtest/gtest.h>

#include <string>

namespace recmgr {
namespace {

TEST(EscapeTest, EveryByteValueRoundTripsAndStaysOnOneLine) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::string text = Escape(all);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  EXPECT_EQ(text.find('\t'), std::string::npos);
  std::string back;
  std::string error;
  ASSERT_TRUE(Unescape(text, &back, &error)) << error;
  EXPECT_EQ(back, all);
}

TEST(EscapeTest, WritesTheDocumentedForms) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"plain text ~!", "plain text ~!"},
      {"a\\b", "a\\\\b"},
      {"a\tb\nc", "a\\tb\\nc"},
      {std::string("\0\x1f\x7f\x80\xff", 5), "\\x00\\x1f\\x7f\\x80\\xff"},
      {"\r", "\\x0d"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Escape(c.bytes), c.text);
}

TEST(EscapeTest, AcceptsUppercaseHex) {
  std::string bytes;
  std::string error;
  ASSERT_TRUE(Unescape("\\xAB\\xcd", &bytes, &error)) << error;
  EXPECT_EQ(bytes, "\xab\xcd");
}

TEST(EscapeTest, RejectsMalformedTextNamingTheColumn) {
  struct Case {
    std::string text;
    std::string error_part;
  };
  const Case cases[] = {
      {"abc\\", "column 4: a backslash ends the text"},
      {"\\q", "column 1: unknown escape \\q"},
      {"x\\x4", "column 2: \\x needs two hex digits"},
      {"\\xg0", "column 1: \\x needs two hex digits"},
      {"a\tb", "column 2: raw byte 0x09 must be written as an escape"},
      {"ok\r", "column 3: raw byte 0x0d"},
      {std::string("\xc3\xa9"), "column 1: raw byte 0xc3"},
  };
  for (const Case& c : cases) {
    std::string bytes;
    std::string error;
    EXPECT_FALSE(Unescape(c.text, &bytes, &error)) << c.text;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace recmgr
