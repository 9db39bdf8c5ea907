#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {
namespace {

// A scenario whose updater has downloaded installers, partial files and the update
// configuration file, all of which /clean removes unless another installed updater uses them.
struct Downloaded : Scenario {
  explicit Downloaded(int extra = 0) {
    Configure(L"URL=" + Url(L"ruddle.ini?v=2") + L"\r\n" + Folders());
    CreateDirectoryW(Downloads().c_str(), nullptr);
    WriteTextFile(Downloads() + L"\\ruddle.ini", L";qzu;\r\n", TextEncoding::Ansi);
    paths = {Downloads() + L"\\ruddle.ini"};
    Add(L"Acme 2.0", L"setup.exe");
    Add(L"Acme Patch", L"patch.msi");
    for (int i = 0; i < extra; ++i) Add(L"Old " + std::to_wstring(i), L"setup.exe");
  }
  void Add(const std::wstring& section, const std::wstring& file) {
    const std::wstring folder = Downloads() + L"\\" + section;
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteTextFile(folder + L"\\" + file, L"installer", TextEncoding::Ansi);
    WriteTextFile(folder + L"\\" + file + L".part", L"inst", TextEncoding::Ansi);
    SetRegistryString(HKEY_CURRENT_USER, Key(L"Updates"), section, folder + L"\\" + file);
    paths.insert(paths.end(), {folder + L"\\" + file, folder + L"\\" + file + L".part", folder});
  }
  std::string Paths(bool onlyRemaining) const {
    std::string text;
    for (const std::wstring& path : paths) {
      if (!onlyRemaining || FileExists(path)) text += Narrow(path) + "\n";
    }
    return text;
  }
  bool KeyExists(const std::wstring& subKey) const {
    RegistryKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, Key(subKey).c_str(), 0, KEY_READ, key.Put()) == 0;
  }
  std::vector<std::wstring> paths;
};

}  // namespace

TEST(CleanTest, RemovesDownloadsAndSettingsUnlessAnotherInstalledUpdaterUsesThem) {
  struct Case { const char* what; bool otherInstalled, locked; int extra; const wchar_t* arguments;
                std::vector<std::wstring> windows; };
  const Case cases[] = {
      {"another installed updater", true, false, 0, L"/clean silent", {}},
      {"the other registered updater is gone", false, false, 0, L"/clean silent", {}},
      {"a locked installer", false, true, 0, L"/clean silent", {}},
      // Enough downloads that the window stays up long enough to be seen; it ends by itself.
      {"interactive", false, false, 400, L"/clean", {L"Removing Files"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Downloaded d(c.extra);
    const Scenario other;
    for (const std::wstring& exe : {d.Exe(), c.otherInstalled ? other.Exe() : d.File(L"gone\\Updater.exe")}) {
      SetRegistryDword(HKEY_CURRENT_USER, d.Key(), exe, 0);
    }
    const std::wstring locked = d.paths[1];
    const std::wstring folder = d.paths[3];
    FileHandle holder(c.locked ? CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                               : INVALID_HANDLE_VALUE);
    const RunOutcome outcome = d.Run(c.arguments, Dialogs::OnlyWatch);
    holder.Reset();
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(c.windows, outcome.windowTitles);
    EXPECT_EQ(c.otherInstalled ? d.Paths(false) : c.locked ? Narrow(locked + L"\n" + folder + L"\n") : "",
              d.Paths(true));
    EXPECT_EQ(c.otherInstalled, d.KeyExists(L"Updates"));
    EXPECT_EQ(c.otherInstalled, d.KeyExists(L""));
    const std::wstring log = d.Log();
    EXPECT_EQ(1u, CountOf(log, L"Found valid client: " + d.Exe())) << Narrow(log);
    EXPECT_EQ(c.otherInstalled ? 2u : 1u, CountOf(log, L"Found valid client: "));
    EXPECT_EQ(1u, CountOf(log, c.otherInstalled ? L"CanRunClean returns: false" : L"DoErase started."));
    EXPECT_EQ(c.locked ? 2u : 0u, CountOf(log, L"Failed to delete"));
    EXPECT_EQ(c.locked ? 1u : 0u, CountOf(log, L"Failed to delete file: " + locked + L" LastError: "));
    EXPECT_EQ(c.locked ? 1u : 0u, CountOf(log, L"Failed to delete folder: " + folder + L" LastError: "));
  }
}

}  // namespace updater::test
