#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace updater::test {

// What a user sees of one run of Updater.exe: the exit code and any message box it showed.
struct RunOutcome {
  DWORD exitCode = 0;
  bool finished = false;
  int messageBoxes = 0;
  std::wstring messageBoxCaption;
  std::wstring messageBoxText;
  // Titles of the visible top-level windows of the process, each once, in the order first seen.
  std::vector<std::wstring> windowTitles;
};

// What the harness does with the dialogs the updater shows.
enum class DialogHandling {
  AnswerWithOk,  // read message boxes and close them, as a user would
  OnlyWatch,     // leave every window alone
};

// An installed application folder holding a copy of Updater.exe, as a publisher ships it, with
// its client configuration beside it as Updater.ini.
class InstalledUpdater {
 public:
  InstalledUpdater();
  const std::wstring& Folder() const { return folder_.Path(); }
  std::wstring ExecutablePath() const { return folder_.File(L"Updater.exe"); }
  std::wstring ConfigPath() const { return folder_.File(L"Updater.ini"); }
  std::wstring File(const std::wstring& name) const { return folder_.File(name); }
  void WriteConfig(const std::wstring& generalKeys) const;

  // Runs the updater with `arguments` and waits for it. A message box it shows is read and
  // closed with OK, as a user would.
  RunOutcome Run(const std::wstring& arguments, DWORD timeoutMs = 60000,
                 DialogHandling dialogs = DialogHandling::AnswerWithOk) const;

 private:
  TempFolder folder_;
};

std::wstring BuiltUpdaterPath();

// How often `part` occurs in `text`, overlapping occurrences included.
size_t CountOf(const std::wstring& text, const std::wstring& part);

// Decodes a UTF-16LE file without its byte-order mark.
std::wstring ReadUtf16File(const std::wstring& path);

}  // namespace updater::test
