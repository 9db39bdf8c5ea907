#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/RunMode.h"
#include "base/ResultCode.h"
#include "config/RunSwitches.h"

namespace updater {

// The command line after parsing: the run mode and every switch value it carries.
struct CommandLine {
  RunMode mode = RunMode::CheckNow;

  // Check family (/checknow, /silent, /silentall, /silentcritical).
  bool noFrequencyCheck = false;
  std::wstring urlOverride;
  bool minimalUserActions = false;
  bool justDownload = false;
  bool startMinimized = false;
  std::wstring restartPath;
  std::wstring restartArguments;
  bool noGui = false;
  bool reducedGui = false;
  bool showWaitDialog = false;
  bool forceMsiBasicUi = false;
  bool startAppFirst = false;
  // Only the silent modes: the installed updater waits for its temporary copy and ends with its
  // result.
  bool wait = false;

  // /justcheck
  std::wstring dumpFile;
  bool installReady = false;

  // /configure: the owner window handle, as given in decimal.
  std::uintptr_t configureOwner = 0;

  // /install KIND FILE [CREDENTIALS] and /runserver FILE.
  std::wstring handOverFile;
  std::wstring credentials;

  // /clean silent
  bool cleanSilently = false;

  // /configservice -name NAME
  std::wstring serviceName;

  // /set NAME VALUE [VALUE2]
  std::wstring settingName;
  std::wstring settingValue;
  std::wstring settingValue2;

  // /automation
  std::wstring clsid;
  bool registerProxyStub = false;
  bool embedding = false;
  bool unregisterServer = false;

  // The URL of a notification link (mode 21).
  std::wstring link;
};

// The /install kind that hands a check in `checkMode` on to its temporary copy: "checknow",
// "silent", "silentall" or "silentcritical"; empty for the modes that make no copy.
std::wstring TemporaryCopyKind(RunMode checkMode);
// The /install mode of that copy; the /checknow copy's for the modes that make none.
RunMode CopyModeOf(RunMode checkMode);

// The switches that a run hands on to its temporary copy.
RunSwitches SwitchesOf(const CommandLine& commandLine);

// Splits at runs of blanks (U+0020 only); a token that begins with a double quote runs to the next
// double quote, both dropped, with no escape; an unterminated quote takes the rest of the line.
std::vector<std::wstring> TokenizeCommandLine(const std::wstring& text);

// Parses the whole command line. Returns 0 and fills `out`, or kInvalidCommandLine, leaves `out`
// as it was and, when `rejection` is given, puts there the log line that says where:
// 'Command line not understood: "TOKEN"', or ': an argument is missing after "TOKEN"' when the
// line ends before an argument it needs, or ': it is empty'.
// `linkPrefix` is the first token that selects mode 21.
ResultCode ParseCommandLine(const std::wstring& text, const std::wstring& linkPrefix,
                            CommandLine* out, std::wstring* rejection = nullptr);

// The log lines after it: the modes a user or script may start, each with the options it takes.
std::vector<std::wstring> UsageLines();

// The words of the parser's tables, in table order: the first word of each run mode, then the
// switches of the check modes, of /justcheck and of /automation. The publisher's guide is held to
// this list.
std::vector<std::wstring> CommandLineWords();

}  // namespace updater
