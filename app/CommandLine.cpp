#include "app/CommandLine.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "base/TokenList.h"
#include "config/ClientFlags.h"

namespace updater {
namespace {

using Tokens = std::vector<std::wstring>;

// What the parse of a switch's arguments returns: kUnderstood, or the index of the argument not
// understood, which is the number of arguments when one is missing at the end.
constexpr std::size_t kUnderstood = static_cast<std::size_t>(-1);

// A switch option: either a flag it sets or the string member that receives the next token,
// which the usage text calls `placeholder`.
struct Option {
  const wchar_t* name;
  bool CommandLine::*flag;
  std::wstring CommandLine::*value;
  const wchar_t* placeholder;
};

// The check family tries its options in this order at every pass.
constexpr Option kCheckOptions[] = {
    {L"-nofreqcheck", &CommandLine::noFrequencyCheck, nullptr, nullptr},
    {L"-url", nullptr, &CommandLine::urlOverride, L"URL"},
    {L"-minuseractions", &CommandLine::minimalUserActions, nullptr, nullptr},
    {L"-justdownload", &CommandLine::justDownload, nullptr, nullptr},
    {L"-startminimized", &CommandLine::startMinimized, nullptr, nullptr},
    {L"-restartapp", nullptr, &CommandLine::restartPath, L"PATH"},
    {L"-restartappcmd", nullptr, &CommandLine::restartArguments, L"ARGUMENTS"},
    {L"-nogui", &CommandLine::noGui, nullptr, nullptr},
    {L"-reducedgui", &CommandLine::reducedGui, nullptr, nullptr},
    {L"-showaitdlg", &CommandLine::showWaitDialog, nullptr, nullptr},
    {L"-forcemsibasicui", &CommandLine::forceMsiBasicUi, nullptr, nullptr},
    {L"-startappfirst", &CommandLine::startAppFirst, nullptr, nullptr},
    {L"-wait", &CommandLine::wait, nullptr, nullptr},
};

// -critical selects a mode rather than a flag, so /justcheck handles it before this table.
constexpr Option kJustCheckOptions[] = {
    {L"-dumpdetected", nullptr, &CommandLine::dumpFile, L"FILE"},
    {L"-url", nullptr, &CommandLine::urlOverride, L"URL"},
    {L"-installready", &CommandLine::installReady, nullptr, nullptr},
};

constexpr Option kAutomationOptions[] = {
    {L"-clsid", nullptr, &CommandLine::clsid, L"{CLASS-ID}"},
    {L"-registerproxystub", &CommandLine::registerProxyStub, nullptr, nullptr},
    {L"-Embedding", &CommandLine::embedding, nullptr, nullptr},
    {L"-unregserver", &CommandLine::unregisterServer, nullptr, nullptr},
};

bool AnyValue(const std::wstring&) { return true; }

bool IsLogLevel(const std::wstring& value) {
  std::uint32_t level = 0;
  return ParseTokenListOrNumber(value, kLogLevelNames, &level);
}

bool IsUpdatePolicy(const std::wstring& value) {
  std::uint32_t policy = 0;
  return ParseTokenList(value, kAutoUpdatePolicyNames, &policy);
}

// The settings /set stores, the values each takes and whether the first one reads: a value that
// does not is refused here, before anything is stored.
struct Setting {
  const wchar_t* name;
  std::size_t values;
  bool (*readable)(const std::wstring& value);
};

constexpr Setting kSettings[] = {
    {L"retryattempts", 1, AnyValue},
    {L"loglevel", 1, IsLogLevel},
    {L"autoupdatepolicy", 1, IsUpdatePolicy},
    {L"proxy", 1, AnyValue},
    {L"downloadsfolder", 1, AnyValue},
    {L"rememberpassword", 2, AnyValue},
};

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

// Consumes `option` (and its value) at `*pos`; kOptionNotHere when another token stands there.
ResultCode TakeOption(const Option& option, const Tokens& args, std::size_t* pos,
                      CommandLine* cl) {
  if (*pos >= args.size() || args[*pos] != option.name) return kOptionNotHere;
  if (option.value) {
    if (*pos + 1 >= args.size()) return kInvalidCommandLine;
    cl->*option.value = args[*pos + 1];
    *pos += 2;
  } else {
    cl->*option.flag = true;
    *pos += 1;
  }
  return kSuccess;
}

// Takes one of `options` at `*pos`: kUnderstood, or where the line goes wrong.
template <std::size_t N>
std::size_t TakeAnyOption(const Option (&options)[N], const Tokens& args, std::size_t* pos,
                          CommandLine* cl) {
  for (const Option& option : options) {
    const ResultCode result = TakeOption(option, args, pos, cl);
    if (result == kSuccess) return kUnderstood;
    if (result != kOptionNotHere) return args.size();  // its value is missing
  }
  return *pos;
}

// For a switch that takes exactly `count` arguments: kUnderstood, or where the line goes wrong.
std::size_t CountMismatch(const Tokens& args, std::size_t count) {
  return args.size() == count ? kUnderstood : std::min(args.size(), count);
}

bool IsAllowedCheckCombination(const CommandLine& cl) {
  const bool installsAll = cl.mode == RunMode::SilentAll || cl.mode == RunMode::SilentCritical;
  const bool hasWindow = cl.mode == RunMode::CheckNow || cl.mode == RunMode::Silent;
  if (cl.noGui && cl.reducedGui) return false;
  if (!installsAll &&
      (cl.justDownload || cl.noGui || cl.reducedGui || cl.noFrequencyCheck || cl.showWaitDialog)) {
    return false;
  }
  // A script may wait for a silent run; /checknow has a user who watches it.
  if (cl.wait && cl.mode == RunMode::CheckNow) return false;
  return hasWindow || !cl.startMinimized;
}

std::size_t ParseCheckOptions(const Tokens& args, CommandLine* cl) {
  // Every pass offers each option once, in a fixed order, so options written against that order
  // need a pass each; the bound keeps a long line from looping.
  constexpr int kMaxPasses = 13;
  std::size_t pos = 0;
  for (int pass = 0; pass < kMaxPasses && pos < args.size(); ++pass) {
    for (const Option& option : kCheckOptions) {
      const std::size_t at = pos;
      const ResultCode result = TakeOption(option, args, &pos, cl);
      if (result == kOptionNotHere) continue;
      if (result != kSuccess) return args.size();
      if (!IsAllowedCheckCombination(*cl)) return at;
    }
  }
  if (pos < args.size()) return pos;
  if (cl->startAppFirst && cl->restartPath.empty()) {
    return static_cast<std::size_t>(std::find(args.begin(), args.end(), L"-startappfirst") -
                                    args.begin());
  }
  return kUnderstood;
}

std::size_t ParseConfigure(const Tokens& args, CommandLine* cl) {
  if (args.size() > 1) return 1;
  if (args.empty()) return kUnderstood;
  const std::wstring& text = args[0];
  std::size_t i = text.find_first_not_of(L' ');
  // The owner is advisory: whatever does not read as a number leaves it at 0, not invalid.
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    cl->configureOwner = cl->configureOwner * 10 + static_cast<std::uintptr_t>(text[i] - L'0');
  }
  return kUnderstood;
}

// The kinds of /install: the check that made the temporary copy, and the mode the copy runs in.
struct InstallKind {
  const wchar_t* name;
  RunMode check;
  RunMode install;
};

constexpr InstallKind kInstallKinds[] = {
    {L"checknow", RunMode::CheckNow, RunMode::Install},
    {L"silent", RunMode::Silent, RunMode::InstallSilent},
    {L"silentall", RunMode::SilentAll, RunMode::InstallSilentAll},
    {L"silentcritical", RunMode::SilentCritical, RunMode::InstallSilentCritical},
};

std::size_t ParseInstall(const Tokens& args, CommandLine* cl) {
  if (args.size() < 2) return args.size();
  if (args.size() > 3) return 3;
  // An unknown kind runs as /checknow's copy would.
  cl->mode = RunMode::Install;
  for (const InstallKind& kind : kInstallKinds) {
    if (args[0] == kind.name) cl->mode = kind.install;
  }
  cl->handOverFile = args[1];
  if (args.size() == 3) cl->credentials = args[2];
  return kUnderstood;
}

std::size_t ParseClean(const Tokens& args, CommandLine* cl) {
  if (args.empty()) return kUnderstood;
  if (args[0] != L"silent") return 0;
  if (const std::size_t at = CountMismatch(args, 1); at != kUnderstood) return at;
  cl->cleanSilently = true;
  return kUnderstood;
}

std::size_t ParseJustCheck(const Tokens& args, CommandLine* cl) {
  if (args.size() > 5) return 5;
  for (std::size_t pos = 0; pos < args.size();) {
    if (args[pos] == L"-critical") {
      cl->mode = RunMode::JustCheckCritical;
      ++pos;
    } else if (const std::size_t at = TakeAnyOption(kJustCheckOptions, args, &pos, cl);
               at != kUnderstood) {
      return at;
    }
  }
  return kUnderstood;
}

std::size_t ParseNoArguments(const Tokens& args, CommandLine*) { return CountMismatch(args, 0); }

std::size_t ParseConfigService(const Tokens& args, CommandLine* cl) {
  if (args.empty() || args[0] != L"-name") return 0;
  if (const std::size_t at = CountMismatch(args, 2); at != kUnderstood) return at;
  cl->serviceName = args[1];
  return kUnderstood;
}

std::size_t ParseRunServer(const Tokens& args, CommandLine* cl) {
  if (const std::size_t at = CountMismatch(args, 1); at != kUnderstood) return at;
  cl->handOverFile = args[0];
  return kUnderstood;
}

std::size_t ParseSet(const Tokens& args, CommandLine* cl) {
  if (args.empty()) return 0;
  const Setting* setting = std::find_if(std::begin(kSettings), std::end(kSettings),
                                        [&args](const Setting& s) { return args[0] == s.name; });
  if (setting == std::end(kSettings)) return 0;
  if (const std::size_t at = CountMismatch(args, setting->values + 1); at != kUnderstood) {
    return at;
  }
  if (!setting->readable(args[1])) return 1;
  cl->settingName = args[0];
  cl->settingValue = args[1];
  if (setting->values == 2) cl->settingValue2 = args[2];
  return kUnderstood;
}

std::size_t ParseAutomation(const Tokens& args, CommandLine* cl) {
  if (args.size() > 4) return 4;
  for (std::size_t pos = 0; pos < args.size();) {
    if (const std::size_t at = TakeAnyOption(kAutomationOptions, args, &pos, cl);
        at != kUnderstood) {
      return at;
    }
  }
  return kUnderstood;
}

std::size_t ParseLink(const Tokens& args, CommandLine* cl) {
  if (const std::size_t at = CountMismatch(args, 1); at != kUnderstood) return at;
  cl->link = args[0];
  return kUnderstood;
}

struct Switch {
  const wchar_t* name;
  RunMode mode;
  std::size_t (*parse)(const Tokens& args, CommandLine* cl);
  // Its arguments in the usage text before those of its option table, if it has one; null for
  // the switches only the updater itself, the service manager and COM pass.
  const wchar_t* usage;
};

constexpr Switch kSwitches[] = {
    {L"/checknow", RunMode::CheckNow, ParseCheckOptions, L""},
    {L"/silent", RunMode::Silent, ParseCheckOptions, L""},
    {L"/silentall", RunMode::SilentAll, ParseCheckOptions, L""},
    {L"/silentcritical", RunMode::SilentCritical, ParseCheckOptions, L""},
    {L"/configure", RunMode::Configure, ParseConfigure, L" [WINDOW]"},
    {L"/install", RunMode::Install, ParseInstall, nullptr},
    {L"/clean", RunMode::Clean, ParseClean, L" [silent]"},
    {L"/justcheck", RunMode::JustCheck, ParseJustCheck, L" [-critical]"},
    {L"/runservice", RunMode::RunService, ParseNoArguments, nullptr},
    {L"/debugservice", RunMode::DebugService, ParseNoArguments, nullptr},
    {L"/installservice", RunMode::InstallService, ParseNoArguments, L""},
    {L"/configservice", RunMode::ConfigService, ParseConfigService, L" -name NAME"},
    {L"/uninstallservice", RunMode::UninstallService, ParseNoArguments, L""},
    {L"/runserver", RunMode::RunServer, ParseRunServer, nullptr},
    {L"/set", RunMode::SetSetting, ParseSet,
     L" retryattempts|loglevel|autoupdatepolicy|proxy|downloadsfolder VALUE,"
     L" or rememberpassword USER PASSWORD"},
    {L"/automation", RunMode::Automation, ParseAutomation, L""},
};

// " [-name]" or " [-name PLACEHOLDER]" for each of `options` that `takes` accepts.
template <std::size_t N, typename Takes>
std::wstring OptionsUsage(const Option (&options)[N], Takes takes) {
  std::wstring usage;
  for (const Option& option : options) {
    if (!takes(option)) continue;
    usage += std::wstring(L" [") + option.name;
    if (option.placeholder != nullptr) usage += std::wstring(L" ") + option.placeholder;
    usage += L"]";
  }
  return usage;
}

std::wstring ArgumentsUsage(const Switch& entry) {
  const auto any = [](const Option&) { return true; };
  if (entry.parse == ParseJustCheck) return entry.usage + OptionsUsage(kJustCheckOptions, any);
  if (entry.parse == ParseAutomation) return entry.usage + OptionsUsage(kAutomationOptions, any);
  if (entry.parse != ParseCheckOptions) return entry.usage;
  // The check modes differ in the options they take; each is shown with those it takes alone.
  return entry.usage + OptionsUsage(kCheckOptions, [&entry](const Option& option) {
           CommandLine alone;
           alone.mode = entry.mode;
           if (option.flag != nullptr) alone.*option.flag = true;
           return IsAllowedCheckCombination(alone);
         });
}

// The index in `tokens` of the token not understood (tokens.size() when one is missing), or
// kUnderstood with `cl` filled.
std::size_t ParseTokens(const Tokens& tokens, const std::wstring& linkPrefix, CommandLine* cl) {
  if (tokens.empty()) return 0;
  const Tokens args(tokens.begin() + 1, tokens.end());
  std::size_t at = 0;
  if (tokens[0] == linkPrefix) {
    cl->mode = RunMode::OpenLink;
    at = ParseLink(args, cl);
  } else {
    const Switch* entry =
        std::find_if(std::begin(kSwitches), std::end(kSwitches),
                     [&tokens](const Switch& candidate) { return tokens[0] == candidate.name; });
    if (entry == std::end(kSwitches)) return 0;
    cl->mode = entry->mode;
    at = entry->parse(args, cl);
  }
  return at == kUnderstood ? kUnderstood : at + 1;
}

}  // namespace

std::vector<std::wstring> TokenizeCommandLine(const std::wstring& text) {
  std::vector<std::wstring> tokens;
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsWhiteSpace(text[end - 1])) --end;

  std::size_t pos = begin;
  while (pos < end) {
    if (text[pos] == L' ') {
      ++pos;
    } else if (text[pos] == L'"') {
      std::size_t close = text.find(L'"', pos + 1);
      if (close == std::wstring::npos || close >= end) close = end;
      tokens.push_back(text.substr(pos + 1, close - pos - 1));
      pos = close + 1;
    } else {
      std::size_t blank = text.find(L' ', pos);
      if (blank == std::wstring::npos || blank > end) blank = end;
      tokens.push_back(text.substr(pos, blank - pos));
      pos = blank;
    }
  }
  return tokens;
}

ResultCode ParseCommandLine(const std::wstring& text, const std::wstring& linkPrefix,
                            CommandLine* out, std::wstring* rejection) {
  const Tokens tokens = TokenizeCommandLine(text);
  CommandLine parsed;
  const std::size_t at = ParseTokens(tokens, linkPrefix, &parsed);
  if (at == kUnderstood) {
    *out = std::move(parsed);
    return kSuccess;
  }
  if (rejection != nullptr) {
    *rejection = L"Command line not understood: ";
    if (tokens.empty()) {
      *rejection += L"it is empty";
    } else if (at >= tokens.size()) {
      *rejection += L"an argument is missing after \"" + tokens.back() + L"\"";
    } else {
      *rejection += L"\"" + tokens[at] + L"\"";
    }
  }
  return kInvalidCommandLine;
}

std::vector<std::wstring> CommandLineWords() {
  std::vector<std::wstring> words;
  for (const Switch& entry : kSwitches) words.emplace_back(entry.name);
  const auto addOptions = [&words](const auto& options) {
    for (const Option& option : options) words.emplace_back(option.name);
  };
  addOptions(kCheckOptions);
  addOptions(kJustCheckOptions);
  addOptions(kAutomationOptions);
  return words;
}

std::vector<std::wstring> UsageLines() {
  std::vector<std::wstring> lines = {L"Usage: one of these modes, with the options it takes:"};
  for (const Switch& entry : kSwitches) {
    if (entry.usage == nullptr) continue;
    lines.push_back(std::wstring(L"  ") + entry.name + ArgumentsUsage(entry));
  }
  return lines;
}

std::wstring TemporaryCopyKind(RunMode checkMode) {
  for (const InstallKind& kind : kInstallKinds) {
    if (kind.check == checkMode) return kind.name;
  }
  return std::wstring();
}

RunMode CopyModeOf(RunMode checkMode) {
  for (const InstallKind& kind : kInstallKinds) {
    if (kind.check == checkMode) return kind.install;
  }
  return RunMode::Install;
}

RunSwitches SwitchesOf(const CommandLine& commandLine) {
  RunSwitches switches;
  switches.justDownload = commandLine.justDownload;
  switches.startMinimized = commandLine.startMinimized;
  switches.restartPath = commandLine.restartPath;
  switches.restartArguments = commandLine.restartArguments;
  switches.startAppFirst = commandLine.startAppFirst;
  switches.noGui = commandLine.noGui;
  switches.reducedGui = commandLine.reducedGui;
  switches.forceMsiBasicUi = commandLine.forceMsiBasicUi;
  return switches;
}

}  // namespace updater
