#include "handover/CredentialsArgument.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"

namespace updater {
namespace {

using test::Narrow;

TEST(CredentialsArgumentTest, WhatACheckHandsOverTheCopyReadsBack) {
  // user, password, the argument's text before the hexadecimal digits ("": no argument at all)
  const struct {
    const wchar_t* user;
    const wchar_t* password;
    const wchar_t* prefix;
  } cases[] = {
      {L"alice", L"s\x00E9" L"cret", L"alice:"},
      {L"bob", L"", L"bob:"},  // protection refuses an empty text: no digits at all
      {L"DOMAIN\\carol", L"a:b", L"DOMAIN\\carol:"},
      {L"", L"orphan", L""},  // a password without a user is no credentials
  };
  for (const auto& c : cases) {
    std::wstring argument = L"stale";
    ASSERT_EQ(kSuccess, FormatCredentialsArgument({c.user, c.password}, &argument))
        << Narrow(c.user);
    ASSERT_EQ(c.prefix, argument.substr(0, argument.find(L':') + 1)) << Narrow(argument);
    if (*c.user == L'\0') {
      EXPECT_EQ(L"", argument);
      continue;
    }
    // The password must not stand readable on the copy's command line.
    if (*c.password != L'\0') {
      EXPECT_EQ(std::wstring::npos, argument.find(c.password)) << Narrow(argument);
    }
    UserCredentials read;
    ASSERT_EQ(kSuccess, ParseCredentialsArgument(argument, &read)) << Narrow(argument);
    EXPECT_EQ(c.user, read.userName);
    EXPECT_EQ(c.password, read.password) << Narrow(c.user);
  }
  // An installed updater of an earlier release hands its copy the same text.
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  UserCredentials read;
  ASSERT_EQ(kSuccess, ParseCredentialsArgument(L"alice:" + ToHexText(cipher), &read));
  EXPECT_EQ(L"secret", read.password);
}

TEST(CredentialsArgumentTest, MalformedArgumentsAreRefusedAndChangeNothing) {
  const wchar_t* const cases[] = {
      L"nocolon",
      L"alice:ABC",    // an odd number of digits
      L"alice:XYZ1",   // not hexadecimal
      L"alice:AB",     // one byte cannot be a protected UTF-16 text
      L"alice:0A1B ",  // a blank is no digit
  };
  for (const wchar_t* text : cases) {
    UserCredentials kept{L"kept", L"kept"};
    EXPECT_EQ(kInvalidCommandLine, ParseCredentialsArgument(text, &kept)) << Narrow(text);
    EXPECT_EQ(L"kept", kept.userName) << Narrow(text);
    EXPECT_EQ(L"kept", kept.password) << Narrow(text);
  }
}

}  // namespace
}  // namespace updater
