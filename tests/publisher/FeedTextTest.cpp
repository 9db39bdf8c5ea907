#include "publisher/FeedText.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(FeedTextTest, SettingAValueChangesOnlyThatValueOrAddsItsLine) {
  // Size=42 set in section A.
  const struct { const char* before; const char* after; } cases[] = {
      {"[A]\r\nName=A\r\nSize=1\r\n\r\n; note\r\n[B]\r\n",
       "[A]\r\nName=A\r\nSize=42\r\n\r\n; note\r\n[B]\r\n"},
      {"[A]\nName=A\n; c\n\n[B]\nName=B\n", "[A]\nName=A\nSize=42\n; c\n\n[B]\nName=B\n"},
      {"[A]\r\n  size =  1 \r\n", "[A]\r\n  size =  42\r\n"},
      {"[A]\nSize\nName=A\n", "[A]\nSize=42\nName=A\n"},
      {"[A]\nSizeX=1\n", "[A]\nSizeX=1\nSize=42\n"},
      {"[A]\r\nName=A", "[A]\r\nName=A\r\nSize=42"},
      {";qzu;\n[A]", ";qzu;\n[A]\nSize=42"},
      {"[A]\rName=A\r", "[A]\rName=A\rSize=42\r"},
      {"[ a ]\nName=1\n[A]\nSize=1\n", "[ a ]\nName=1\nSize=42\n[A]\nSize=1\n"},
      {"[A]\r\nName=A\r\n;serial=1\r\n;signature=x\r\n",
       "[A]\r\nName=A\r\nSize=42\r\n;serial=1\r\n;signature=x\r\n"},
      {"[B]\nSize=1\n", "[B]\nSize=1\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.after, WithIniValue(c.before, L"A", L"Size", L"42")) << c.before;
    EXPECT_EQ(test::Utf16(c.after), WithIniValue(test::Utf16(c.before), L"A", L"Size", L"42"))
        << c.before;
  }
}

TEST(FeedTextTest, CutsBeforeEachSectionLine) {
  EXPECT_EQ((std::vector<std::string>{";qzu;\r\n", "[A]\r\nx=[y\r\n", " [B] \r\n[C"}),
            SplitAtSectionLines(";qzu;\r\n[A]\r\nx=[y\r\n [B] \r\n[C"));
}

}  // namespace
}  // namespace updater
