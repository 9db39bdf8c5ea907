#include "app/CommandLine.h"

#include <cstddef>
#include <utility>

namespace updater {
namespace {

using Tokens = std::vector<std::wstring>;

// A switch option: either a flag it sets or the string member that receives the next token.
struct Option {
  const wchar_t* name;
  bool CommandLine::*flag;
  std::wstring CommandLine::*value;
};

// The check family tries its options in this order at every pass.
constexpr Option kCheckOptions[] = {
    {L"-nofreqcheck", &CommandLine::noFrequencyCheck, nullptr},
    {L"-url", nullptr, &CommandLine::urlOverride},
    {L"-minuseractions", &CommandLine::minimalUserActions, nullptr},
    {L"-justdownload", &CommandLine::justDownload, nullptr},
    {L"-startminimized", &CommandLine::startMinimized, nullptr},
    {L"-restartapp", nullptr, &CommandLine::restartPath},
    {L"-restartappcmd", nullptr, &CommandLine::restartArguments},
    {L"-nogui", &CommandLine::noGui, nullptr},
    {L"-reducedgui", &CommandLine::reducedGui, nullptr},
    {L"-showaitdlg", &CommandLine::showWaitDialog, nullptr},
    {L"-forcemsibasicui", &CommandLine::forceMsiBasicUi, nullptr},
    {L"-startappfirst", &CommandLine::startAppFirst, nullptr},
};

// -critical selects a mode rather than a flag, so /justcheck handles it before this table.
constexpr Option kJustCheckOptions[] = {
    {L"-dumpdetected", nullptr, &CommandLine::dumpFile},
    {L"-url", nullptr, &CommandLine::urlOverride},
    {L"-installready", &CommandLine::installReady, nullptr},
};

constexpr Option kAutomationOptions[] = {
    {L"-clsid", nullptr, &CommandLine::clsid},
    {L"-registerproxystub", &CommandLine::registerProxyStub, nullptr},
    {L"-Embedding", &CommandLine::embedding, nullptr},
    {L"-unregserver", &CommandLine::unregisterServer, nullptr},
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

template <std::size_t N>
ResultCode TakeAnyOption(const Option (&options)[N], const Tokens& args, std::size_t* pos,
                         CommandLine* cl) {
  for (const Option& option : options) {
    const ResultCode result = TakeOption(option, args, pos, cl);
    if (result != kOptionNotHere) return result;
  }
  return kOptionNotHere;
}

bool IsAllowedCheckCombination(const CommandLine& cl) {
  const bool installsAll = cl.mode == RunMode::SilentAll || cl.mode == RunMode::SilentCritical;
  const bool hasWindow = cl.mode == RunMode::CheckNow || cl.mode == RunMode::Silent;
  if (cl.noGui && cl.reducedGui) return false;
  if (!installsAll &&
      (cl.justDownload || cl.noGui || cl.reducedGui || cl.noFrequencyCheck || cl.showWaitDialog)) {
    return false;
  }
  return hasWindow || !cl.startMinimized;
}

ResultCode ParseCheckOptions(const Tokens& args, CommandLine* cl) {
  // Every pass offers each option once, in a fixed order, so options written against that order
  // need a pass each; the bound keeps a long line from looping.
  constexpr int kMaxPasses = 13;
  std::size_t pos = 0;
  for (int pass = 0; pass < kMaxPasses && pos < args.size(); ++pass) {
    for (const Option& option : kCheckOptions) {
      const ResultCode result = TakeOption(option, args, &pos, cl);
      if (result == kOptionNotHere) continue;
      if (result != kSuccess || !IsAllowedCheckCombination(*cl)) return kInvalidCommandLine;
    }
  }
  if (cl->startAppFirst && cl->restartPath.empty()) return kInvalidCommandLine;
  return pos == args.size() ? kSuccess : kInvalidCommandLine;
}

ResultCode ParseConfigure(const Tokens& args, CommandLine* cl) {
  if (args.size() > 1) return kInvalidCommandLine;
  if (args.empty()) return kSuccess;
  const std::wstring& text = args[0];
  std::size_t i = text.find_first_not_of(L' ');
  // The owner is advisory: whatever does not read as a number leaves it at 0, not invalid.
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    cl->configureOwner = cl->configureOwner * 10 + static_cast<std::uintptr_t>(text[i] - L'0');
  }
  return kSuccess;
}

ResultCode ParseInstall(const Tokens& args, CommandLine* cl) {
  if (args.size() != 2 && args.size() != 3) return kInvalidCommandLine;
  const std::wstring& kind = args[0];
  cl->mode = kind == L"silent"           ? RunMode::InstallSilent
             : kind == L"silentall"      ? RunMode::InstallSilentAll
             : kind == L"silentcritical" ? RunMode::InstallSilentCritical
                                         : RunMode::Install;
  cl->handOverFile = args[1];
  if (args.size() == 3) cl->credentials = args[2];
  return kSuccess;
}

ResultCode ParseClean(const Tokens& args, CommandLine* cl) {
  if (args.empty()) return kSuccess;
  if (args.size() != 1 || args[0] != L"silent") return kInvalidCommandLine;
  cl->cleanSilently = true;
  return kSuccess;
}

ResultCode ParseJustCheck(const Tokens& args, CommandLine* cl) {
  if (args.size() > 5) return kInvalidCommandLine;
  for (std::size_t pos = 0; pos < args.size();) {
    if (args[pos] == L"-critical") {
      cl->mode = RunMode::JustCheckCritical;
      ++pos;
    } else if (TakeAnyOption(kJustCheckOptions, args, &pos, cl) != kSuccess) {
      return kInvalidCommandLine;
    }
  }
  return kSuccess;
}

ResultCode ParseNoArguments(const Tokens& args, CommandLine*) {
  return args.empty() ? kSuccess : kInvalidCommandLine;
}

ResultCode ParseConfigService(const Tokens& args, CommandLine* cl) {
  if (args.size() != 2 || args[0] != L"-name") return kInvalidCommandLine;
  cl->serviceName = args[1];
  return kSuccess;
}

ResultCode ParseRunServer(const Tokens& args, CommandLine* cl) {
  if (args.size() != 1) return kInvalidCommandLine;
  cl->handOverFile = args[0];
  return kSuccess;
}

ResultCode ParseSet(const Tokens& args, CommandLine* cl) {
  static const wchar_t* const kSingleValueSettings[] = {
      L"retryattempts", L"loglevel", L"autoupdatepolicy", L"proxy", L"downloadsfolder"};
  if (args.empty()) return kInvalidCommandLine;
  std::size_t expected = 0;
  if (args[0] == L"rememberpassword") {
    expected = 3;
  } else {
    for (const wchar_t* name : kSingleValueSettings) {
      if (args[0] == name) expected = 2;
    }
  }
  if (expected == 0 || args.size() != expected) return kInvalidCommandLine;
  cl->settingName = args[0];
  cl->settingValue = args[1];
  if (expected == 3) cl->settingValue2 = args[2];
  return kSuccess;
}

ResultCode ParseAutomation(const Tokens& args, CommandLine* cl) {
  if (args.size() > 4) return kInvalidCommandLine;
  for (std::size_t pos = 0; pos < args.size();) {
    if (TakeAnyOption(kAutomationOptions, args, &pos, cl) != kSuccess) return kInvalidCommandLine;
  }
  return kSuccess;
}

struct Switch {
  const wchar_t* name;
  RunMode mode;
  ResultCode (*parse)(const Tokens& args, CommandLine* cl);
};

constexpr Switch kSwitches[] = {
    {L"/checknow", RunMode::CheckNow, ParseCheckOptions},
    {L"/silent", RunMode::Silent, ParseCheckOptions},
    {L"/silentall", RunMode::SilentAll, ParseCheckOptions},
    {L"/silentcritical", RunMode::SilentCritical, ParseCheckOptions},
    {L"/configure", RunMode::Configure, ParseConfigure},
    {L"/install", RunMode::Install, ParseInstall},
    {L"/clean", RunMode::Clean, ParseClean},
    {L"/justcheck", RunMode::JustCheck, ParseJustCheck},
    {L"/runservice", RunMode::RunService, ParseNoArguments},
    {L"/debugservice", RunMode::DebugService, ParseNoArguments},
    {L"/installservice", RunMode::InstallService, ParseNoArguments},
    {L"/configservice", RunMode::ConfigService, ParseConfigService},
    {L"/uninstallservice", RunMode::UninstallService, ParseNoArguments},
    {L"/runserver", RunMode::RunServer, ParseRunServer},
    {L"/set", RunMode::SetSetting, ParseSet},
    {L"/automation", RunMode::Automation, ParseAutomation},
};

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
                            CommandLine* out) {
  const Tokens tokens = TokenizeCommandLine(text);
  if (tokens.empty()) return kInvalidCommandLine;
  const Tokens args(tokens.begin() + 1, tokens.end());

  CommandLine parsed;
  if (tokens[0] == linkPrefix) {
    if (args.size() != 1) return kInvalidCommandLine;
    parsed.mode = RunMode::OpenLink;
    parsed.link = args[0];
    *out = std::move(parsed);
    return kSuccess;
  }
  for (const Switch& entry : kSwitches) {
    if (tokens[0] != entry.name) continue;
    parsed.mode = entry.mode;
    if (entry.parse(args, &parsed) != kSuccess) return kInvalidCommandLine;
    *out = std::move(parsed);
    return kSuccess;
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
