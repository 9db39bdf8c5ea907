#include "ServerConfigFixture.h"

#include <gtest/gtest.h>

namespace updater::test {

namespace {

std::wstring ClientConfigText(const std::wstring& id, const std::vector<std::wstring>& locations,
                              const std::wstring& downloadsFolder, const std::wstring& appDir) {
  std::wstring text = L"[General]\r\nID=" + id + L"\r\nDownloadsFolder=" + downloadsFolder +
                      L"\r\nAppDir=" + appDir + L"\r\n";
  for (std::size_t i = 0; i < locations.size(); ++i) {
    text += L"URL" + (i == 0 ? std::wstring() : std::to_wstring(i)) + L"=" + locations[i] + L"\r\n";
  }
  return text;
}

}  // namespace

std::wstring UpdateSection(const std::wstring& section, const KeyChanges& changes) {
  KeyChanges keys = {{L"Name", section + L" update"},
                     {L"Size", L"1000"},
                     {L"URL", L"https://downloads.example.com/" + section + L".exe"},
                     {L"FilePath", L"C:\\Program Files\\App\\app.exe"}};
  for (const auto& [key, value] : changes) {
    bool found = false;
    for (auto& entry : keys) {
      if (entry.first == key) {
        entry.second = value;
        found = true;
      }
    }
    if (!found) keys.emplace_back(key, value);
  }
  std::wstring text = L"[" + section + L"]\r\n";
  for (const auto& [key, value] : keys) {
    if (!value.empty()) text += key + L"=" + value + L"\r\n";
  }
  return text;
}

ServerConfigFixture::ServerConfigFixture(const std::vector<std::wstring>& locations)
    : settings_(L"Software\\Merrow\\Ruddle\\" + UniqueName(L"ServerConfigTest")),
      client_(folder_.File(L"client.ini")) {
  const std::wstring id = settings_.SubKey().substr(settings_.SubKey().rfind(L'\\') + 1);
  WriteTextFile(client_.Path(),
                ClientConfigText(id, locations, DownloadsFolder(), folder_.File(L"app")),
                TextEncoding::Ansi);
  EXPECT_EQ(kSuccess, client_.Load());
}

std::wstring ServerConfigFixture::WriteUpdateConfig(const std::wstring& body, TextEncoding encoding,
                                                    const std::wstring& name) const {
  const std::wstring path = folder_.File(name);
  WriteTextFile(path, L";qzu;\r\n" + body, encoding);
  return path;
}

}  // namespace updater::test
