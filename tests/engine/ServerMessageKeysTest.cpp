#include "engine/ServerMessageKeys.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(ServerMessageKeysTest, KeyIsTheSha256OfTheJoinedTexts) {
  const std::pair<ServerMessage, const wchar_t*> cases[] = {
      {{L"Hello", L"World", L"31/12/2099"},
       L"29D8CFC17ED4DA0E65370D1AF83BF974C192FC37AD8506A42EE439E26F976171"},
      {{L"Hello", L"World", L"31/12/2099", L"", L"https://example.com/", L"Open"},
       L"1C352C44A873C503E1D20DDD61927C4172DAA5C12E8DBBDF2F24C073C9AD75BF"},
      {{L"Caf\u00e9", L"World", L"31/12/2099"},
       L"D4739895C35601CE2048E8A54D5119B7035E3DC8B2D29C091AA17B62D3DA7626"},
  };
  for (const auto& [message, key] : cases) EXPECT_EQ(key, MessageKey(message)) << Narrow(key);
}

TEST(ServerMessageKeysTest, ReadsOnlyCompleteMessagesAndExpiresAfterTheirDay) {
  const SYSTEMTIME today = {2030, 6, 0, 15};
  struct Case { const wchar_t* keys; bool read, expired; };
  const Case cases[] = {
      {L"MessageTitle=T\r\nMessageBody=B\r\nMessageExpirationDate=15/6/2030\r\n", true, false},
      {L"MessageTitle=T\r\nMessageBody=B\r\nMessageExpirationDate=14/6/2030\r\n", true, true},
      {L"MessageTitle=T\r\nMessageBody=B\r\nMessageExpirationDate=1/1/2031\r\n", true, false},
      {L"MessageTitle=T\r\nMessageExpirationDate=1/1/2031\r\n", false, false},
      {L"MessageBody=B\r\nMessageExpirationDate=1/1/2031\r\n", false, false},
      {L"MessageTitle=T\r\nMessageBody=B\r\n", false, false},
      {L"MessageTitle=T\r\nMessageBody=B\r\nMessageExpirationDate=1/13/2031\r\n", false, false},
      {L"MessageTitle=T\r\nMessageBody=B\r\nMessageExpirationDate=2031-01-01\r\n", false, false},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    test::WriteTextFile(folder.File(L"u.ini"), std::wstring(L"[General]\r\n") + c.keys,
                        test::TextEncoding::Ansi);
    IniReader reader(folder.File(L"u.ini"));
    ASSERT_EQ(kSuccess, reader.Load());
    ServerMessage message;
    EXPECT_EQ(c.read, ReadServerMessage(reader, &message)) << Narrow(c.keys);
    if (c.read) EXPECT_EQ(c.expired, IsMessageExpired(message.expirationDate, today)) << Narrow(c.keys);
  }
}

}  // namespace
}  // namespace updater
