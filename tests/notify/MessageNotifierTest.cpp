#include "notify/MessageNotifier.h"

#include <gtest/gtest.h>
#include <msxml2.h>

#include "TestSupport.h"
#include "app/CommandLine.h"
#include "config/SettingsStore.h"
#include "install/InstallTestSupport.h"
#include "notify/ToastXml.h"
#include "notify/UrlProtocol.h"
#include "ui/MessagesWindow.h"

namespace updater {
namespace {

using test::Narrow;

// MinGW declares the interface without its id; this is IXMLDOMDocument's.
constexpr IID kXmlDocumentId = {0x2933bf81, 0x7b36, 0x11d2,
                                {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// The text of the first node that `path` selects in `document`; "(none)" when none does.
std::wstring Select(IXMLDOMDocument* document, const wchar_t* path) {
  IXMLDOMNode* node = nullptr;
  BSTR text = nullptr;
  std::wstring value = L"(none)";
  BSTR query = SysAllocString(path);
  if (document->selectSingleNode(query, &node) == S_OK && node->get_text(&text) == S_OK) {
    value = text;
  }
  SysFreeString(query);
  SysFreeString(text);
  if (node != nullptr) node->Release();
  return value;
}

TEST(MessageNotifierTest, EachToastTemplateParsesBackWithTheServerTextsAsText) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  CLSID documentClass;
  ASSERT_EQ(S_OK, CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &documentClass));
  const ServerMessage message = {L"<Sale> & 'more' $(Stop-Computer)", L"Body \"2\" $env:PATH",
                                 L"1/1/2099", L"", L"https://example.com/?a=1&b='2'", L"Open"};
  const std::wstring launch = std::wstring(kUrlScheme) + L":/Link " + message.uri;
  struct Case { bool link, image, named; const wchar_t* launch; const wchar_t* button; };
  const Case cases[] = {
      {false, false, true, L"(none)", L"(none)"},
      {false, true, true, L"(none)", L"(none)"},
      {true, false, true, launch.c_str(), L"Open"},
      {true, true, true, launch.c_str(), L"Open"},
      {true, false, false, launch.c_str(), message.uri.c_str()},
  };
  for (const Case& c : cases) {
    ServerMessage shown = message;
    if (!c.link) shown.uri.clear();
    if (!c.named) shown.buttonText.clear();
    const std::wstring image = c.image ? L"C:\\dl\\a&b.png" : L"";
    const std::wstring xml =
        BuildToastXml(LoadTextResource(ToastTemplateId(c.link, c.image)), shown, image);
    IXMLDOMDocument* document = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(documentClass, nullptr, CLSCTX_INPROC_SERVER,
                                     kXmlDocumentId, reinterpret_cast<void**>(&document)));
    VARIANT_BOOL parsed = VARIANT_FALSE;
    BSTR text = SysAllocString(xml.c_str());
    document->loadXML(text, &parsed);
    SysFreeString(text);
    EXPECT_EQ(VARIANT_TRUE, parsed) << Narrow(xml);
    EXPECT_EQ(message.title, Select(document, L"/toast/visual/binding/text[@id='1']"));
    EXPECT_EQ(message.body, Select(document, L"/toast/visual/binding/text[@id='2']"));
    EXPECT_EQ(c.image ? image : L"(none)", Select(document, L"//image/@src"));
    EXPECT_EQ(c.launch, Select(document, L"/toast/@launch"));
    EXPECT_EQ(c.launch, Select(document, L"//action/@arguments"));
    EXPECT_EQ(c.button, Select(document, L"//action/@content"));
    document->Release();
    if (!c.link) continue;
    // What the click starts comes back as mode 21 with the link as the server wrote it.
    CommandLine commandLine;
    ASSERT_EQ(kSuccess, ParseCommandLine(c.launch, std::wstring(kUrlScheme) + L":/Link",
                                         &commandLine));
    EXPECT_EQ(RunMode::OpenLink, commandLine.mode);
    EXPECT_EQ(message.uri, commandLine.link);
  }
  CoUninitialize();
}

TEST(MessageNotifierTest, OnlyPicturesWithPlainNamesAreKeptAsToastImages) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"sale.png", true},     {L"Sale.JPEG", true}, {L"a.b.gif", true},   {L"x.jpg", true},
      {L"updates.ini", false}, {L"updater.log", false}, {L"png", false},  {L".png", false},
      {L"sale.png.exe", false}, {L"a\\b.png", false}, {L"COM1.png", false}, {L"", false},
  };
  for (const auto& [name, kept] : cases) EXPECT_EQ(kept, IsToastImageName(name)) << Narrow(name);
}

TEST(MessageNotifierTest, EveryQuoteThatWouldEndASingleQuotedStringIsDoubled) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Tovan.Updater", L"Tovan.Updater"},
      {L"", L""},
      {L"a'b", L"a''b"},
      {L"''", L"''''"},
      {L"a\u2018b", L"a\u2018\u2018b"},
      {L"\u2019; Stop-Computer; \u2019", L"\u2019\u2019; Stop-Computer; \u2019\u2019"},
      {L"\u201A\u201B", L"\u201A\u201A\u201B\u201B"},
      // Double quotes and the escape character end nothing here.
      {L"\u201C\u201D\"`$x", L"\u201C\u201D\"`$x"},
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(escaped, EscapeSingleQuoted(text)) << Narrow(text);
  }
}

// A message as the update configuration file brings it, read by the notifier.
void ReadMessage(MessageNotifier& notifier, const test::TempFolder& folder, const ServerMessage& m) {
  test::WriteTextFile(folder.File(L"u.ini"), L"[General]\r\n", test::TextEncoding::Utf16);
  IniReader file(folder.File(L"u.ini"));
  ASSERT_EQ(kSuccess, WriteServerMessage(file, m));
  IniReader reader(folder.File(L"u.ini"));
  ASSERT_EQ(kSuccess, reader.Load());
  ASSERT_EQ(kSuccess, notifier.Reader()(reader));
}

TEST(MessageNotifierTest, ToastRunsTheServerTextsAsDataAndCountsAsShownOnlyOnSuccess) {
  test::ScopedClientConfig client(L"Toast");
  test::TempFolder folder;
  test::PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  wchar_t record[MAX_PATH] = {};
  GetEnvironmentVariableW(L"UPDATER_PS_RECORD", record, MAX_PATH);
  const ServerMessage message = {L"'@ $(Stop-Computer)", L"B", L"1/1/2099"};
  const std::wstring key = MessageKey(message);
  UnregisterProtocol(HKEY_CURRENT_USER, kUrlScheme);
  MessageNotifier notifier(client.Config(), true, nullptr);
  ReadMessage(notifier, folder, message);
  struct Case { int exitCode; bool runs, shown; };
  const Case cases[] = {{1, true, false}, {0, true, true}, {0, false, true}};
  for (const Case& c : cases) {
    DeleteFileW(record);
    powerShell.ExitWith(c.exitCode);
    notifier.Show();
    test::PowerShellStandIn::Run run;
    ASSERT_EQ(c.runs, powerShell.Record(&run)) << c.exitCode;
    DWORD value = 1;
    EXPECT_EQ(c.shown, client.Config().Settings().ReadDword(SettingsKey::Messages, key, &value));
    if (!c.runs) continue;
    // Only the here-string's own end starts a line with "'@"; the title stays inside it as data.
    EXPECT_EQ(1u, test::CountOf(run.script, L"\n'@")) << Narrow(run.script);
    EXPECT_NE(std::wstring::npos,
              run.script.find(L"@'\n<toast>\n  <visual>\n    <binding template=\"ToastText02\">\n"
                              L"      <text id=\"1\">&apos;@ $(Stop-Computer)</text>"))
        << Narrow(run.script);
  }
  // An edited message is a new one; an expired one is not shown.
  for (const auto& [edited, runs] : {std::pair<ServerMessage, bool>{{L"T2", L"B", L"1/1/2099"}, true},
                                     {{L"T3", L"B", L"1/1/2000", L"", L"https://x.test/"}, false}}) {
    DeleteFileW(record);
    ReadMessage(notifier, folder, edited);
    notifier.Show();
    test::PowerShellStandIn::Run run;
    EXPECT_EQ(runs, powerShell.Record(&run)) << Narrow(edited.title);
  }
  std::wstring command;
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER,
                                  L"Software\\Classes\\" + std::wstring(kUrlScheme), L"", &command))
      << "an expired message registers no protocol";
}

TEST(MessageNotifierTest, WithoutToastsTheMessagesWindowShowsTheMessage) {
  test::ScopedClientConfig client(L"Window");
  test::TempFolder folder;
  const ServerMessage message = {L"Spring sale", L"Half price on all <b>upgrades</b>.",
                                 L"1/1/2099", L"", L"https://example.com/sale", L"See the offer"};
  MessagesWindow messagesWindow;
  MessageNotifier notifier(client.Config(), false,
                           [&](const ServerMessage& m) { return messagesWindow.Start(m); });
  ReadMessage(notifier, folder, message);
  notifier.Show();
  HWND window = nullptr;
  test::WaitUntil([&] { return (window = FindWindowW(nullptr, L"Messages")) != nullptr; }, 5000);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
            GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  Sleep(300);
  test::SaveScreenshot(L"MessagesWindow");
  PostMessageW(window, WM_CLOSE, 0, 0);
  messagesWindow.Wait();
  DWORD value = 1;
  EXPECT_TRUE(client.Config().Settings().ReadDword(SettingsKey::Messages, MessageKey(message),
                                                   &value));
}

TEST(MessageNotifierTest, ProtocolStartsTheQuotedPathAndKeepsAnExistingRegistration) {
  const std::wstring scheme = test::UniqueName(L"notify-test");
  const std::wstring command = L"Software\\Classes\\" + scheme + L"\\shell\\open\\command";
  const std::wstring path = L"C:\\Program Files\\Acme\\Updater.exe";
  ASSERT_EQ(kSuccess, RegisterProtocol(HKEY_CURRENT_USER, scheme, path));
  ASSERT_EQ(kSuccess, RegisterProtocol(HKEY_CURRENT_USER, scheme, L"C:\\Other\\Updater.exe"));
  std::wstring value;
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, command, L"", &value));
  EXPECT_EQ(L"\"" + path + L"\" %1", value);
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, L"Software\\Classes\\" + scheme,
                                 L"URL Protocol", &value));
  UnregisterProtocol(HKEY_CURRENT_USER, scheme);
  RegistryKey key;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + scheme).c_str(),
                                         0, KEY_READ, key.Put()));
}

}  // namespace
}  // namespace updater
