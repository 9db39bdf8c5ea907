#include <gtest/gtest.h>

#include "e2e/Scenario.h"
#include "notify/ToastXml.h"

namespace updater::test {

TEST(CleanTest, RemovesDownloadsAndSettingsUnlessAnotherInstalledUpdaterUsesThem) {
  struct Case { const char* what; bool otherInstalled, locked; int extra; const wchar_t* arguments;
                std::vector<std::wstring> windows; };
  const Case cases[] = {
      {"another installed updater", true, false, 0, L"/clean silent", {}},
      {"a locked installer", false, true, 0, L"/clean silent", {}},
      // The other registered updater is gone. Enough downloads that the window stays up long
      // enough to be seen; it ends by itself.
      {"interactive", false, false, 1500, L"/clean", {L"Removing Files"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    const Scenario other;
    const std::wstring second = c.otherInstalled ? other.Exe() : s.File(L"gone\\Updater.exe");
    for (const auto& exe : {s.Exe(), second}) SetRegistryDword(HKEY_CURRENT_USER, s.Key(), exe, 0);
    // The downloaded update configuration file, installers and partial files.
    s.Configure(L"URL=" + s.Url(L"ruddle.ini?v=2") + L"\r\n", true);
    std::vector<std::wstring> paths = {s.Downloads() + L"\\ruddle.ini"};
    WriteTextFile(paths[0], L";qzu;\r\n", TextEncoding::Ansi);
    for (int i = 1; i <= 2 + c.extra; ++i) {
      const std::wstring section = L"Acme " + std::to_wstring(i) + L".0";
      const std::wstring folder = s.Downloads() + L"\\" + section;
      CreateDirectoryW(folder.c_str(), nullptr);
      SetRegistryString(HKEY_CURRENT_USER, s.Key(L"Updates"), section, folder + L"\\setup.exe");
      WriteTextFile(folder + L"\\setup.exe", L"installer", TextEncoding::Ansi);
      WriteTextFile(folder + L"\\setup.exe.part", L"inst", TextEncoding::Ansi);
      paths.insert(paths.end(), {folder + L"\\setup.exe", folder + L"\\setup.exe.part", folder});
    }
    // A message's downloaded image, and one recorded outside the downloads folder.
    const std::vector<std::wstring> images = {s.Downloads() + L"\\banner.png", s.File(L"me.png")};
    for (const std::wstring& image : images) {
      WriteTextFile(image, L"png", TextEncoding::Ansi);
      SetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Messages\\Resources"), image, 0);
    }
    paths.push_back(images[0]);
    // A record of a file outside the downloads folder; CleanerTest holds the other such paths.
    const std::vector<std::wstring> outside = {s.File(L"setup.exe"), images[1]};
    WriteTextFile(outside[0], L"kept", TextEncoding::Ansi);
    SetRegistryString(HKEY_CURRENT_USER, s.Key(L"Updates"), L"Outside", outside[0]);
    const auto remaining = [&](bool all) {
      std::wstring text;
      for (const std::wstring& path : paths) text += all || FileExists(path) ? path + L"\n" : L"";
      return text;
    };
    const std::wstring locked = paths[1], folder = paths[3];  // an installer and its folder
    FileHandle holder(c.locked ? CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                               : INVALID_HANDLE_VALUE);
    // The link protocol that a message registered goes with the data, and stays with it.
    const std::wstring classKey = L"Software\\Classes\\" + std::wstring(kUrlScheme);
    const ScopedRegistryTree registration(classKey);
    const std::wstring protocol = classKey + L"\\shell\\open\\command";
    SetRegistryString(HKEY_CURRENT_USER, protocol, L"", L"\"" + s.Exe() + L"\" %1");
    const RunOutcome outcome = s.Run(c.arguments, Dialogs::OnlyWatch);
    holder.Reset();
    std::wstring command;
    EXPECT_EQ(c.otherInstalled, ReadRegistryString(HKEY_CURRENT_USER, protocol, L"", &command));
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(c.windows, outcome.windowTitles);
    EXPECT_EQ(c.otherInstalled ? remaining(true) : c.locked ? locked + L"\n" + folder + L"\n" : L"",
              remaining(false));
    for (const wchar_t* subKey : {L"", L"Updates"}) {
      RegistryKey key;
      EXPECT_EQ(c.otherInstalled, RegOpenKeyExW(HKEY_CURRENT_USER, s.Key(subKey).c_str(), 0,
                                                KEY_READ, key.Put()) == ERROR_SUCCESS);
    }
    const std::wstring log = s.Log();
    const size_t failed = c.locked ? 1 : 0;
    EXPECT_EQ(1u, CountOf(log, L"Found valid client: " + s.Exe())) << Narrow(log);
    EXPECT_EQ(c.otherInstalled ? 2u : 1u, CountOf(log, L"Found valid client: "));
    const std::wstring canRun = c.otherInstalled ? L"false" : L"true";
    EXPECT_EQ(1u, CountOf(log, L"Cleaning thread started."));
    EXPECT_EQ(1u, CountOf(log, L"CanRunClean returns: " + canRun));
    EXPECT_EQ(c.otherInstalled ? 0u : 1u, CountOf(log, L"DoErase started."));
    for (const std::wstring& file : outside) {
      EXPECT_TRUE(FileExists(file)) << Narrow(file);
      EXPECT_EQ(c.otherInstalled ? 0u : 1u,
                CountOf(log, L"Left a recorded file outside the downloads folder: " + file));
    }
    EXPECT_EQ(2 * failed, CountOf(log, L"Failed to delete"));
    EXPECT_EQ(failed, CountOf(log, L"Failed to delete file: " + locked + L" LastError: "));
    EXPECT_EQ(failed, CountOf(log, L"Failed to delete folder: " + folder + L" LastError: "));
  }
}

}  // namespace updater::test
