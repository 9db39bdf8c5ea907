#include "ui/UpdateOptionsDialog.h"

#include <shlobj.h>

#include <memory>

#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "config/NextUpdateCheck.h"
#include "resources/OptionsIds.h"
#include "resources/StringIds.h"
#include "ui/DialogText.h"

namespace updater {
namespace {

constexpr int kAllIndex = 0;
constexpr int kCriticalIndex = 1;
constexpr int kFrequencyDigits = 4;
// Longer folder texts than this are not paths Windows could open.
constexpr int kFolderLimit = 32767;

struct PidlDeleter {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

// "Next check: <date> <time>" in the user's local time and formats; empty when none is stored or
// the stored time cannot be shown.
std::wstring NextCheckText(const SettingsStore& settings) {
  FILETIME next = {};
  if (!settings.ReadTime(SettingsKey::Settings, L"NextUpdateCheck", &next)) return {};
  SYSTEMTIME utc = {};
  SYSTEMTIME local = {};
  if (!FileTimeToSystemTime(&next, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return {};
  }
  wchar_t date[128] = {};
  wchar_t time[128] = {};
  if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128) ||
      !GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, 128)) {
    return {};
  }
  return FormatText(LoadResourceString(IDS_NEXT_CHECK).c_str(), date, time);
}

AutoUpdateChoice CheckedChoice(HWND window) {
  if (IsDlgButtonChecked(window, IDC_OPTIONS_NO_CHECK) == BST_CHECKED) {
    return AutoUpdateChoice::NoCheck;
  }
  if (IsDlgButtonChecked(window, IDC_OPTIONS_AUTOMATIC) == BST_CHECKED) {
    return AutoUpdateChoice::Automatic;
  }
  return AutoUpdateChoice::Prompt;
}

int ChoiceButton(AutoUpdateChoice choice) {
  switch (choice) {
    case AutoUpdateChoice::NoCheck:
      return IDC_OPTIONS_NO_CHECK;
    case AutoUpdateChoice::Automatic:
      return IDC_OPTIONS_AUTOMATIC;
    default:
      return IDC_OPTIONS_PROMPT;
  }
}

}  // namespace

INT_PTR UpdateOptionsDialog::Show(HWND owner) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UPDATE_OPTIONS), owner,
                         &UpdateOptionsDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK UpdateOptionsDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
  auto* dialog = reinterpret_cast<UpdateOptionsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->OnMessage(window, message, wParam) : FALSE;
}

INT_PTR UpdateOptionsDialog::OnMessage(HWND window, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(window);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_OPTIONS_NO_CHECK:
        case IDC_OPTIONS_PROMPT:
        case IDC_OPTIONS_AUTOMATIC:
          if (HIWORD(wParam) == BN_CLICKED) UpdateEnabling(window);
          return TRUE;
        case IDC_OPTIONS_BROWSE:
          BrowseForFolder(window);
          return TRUE;
        case IDOK:
          Save(DecideOptionsChanges(Read(window), config_.CheckFrequency(),
                                    config_.DownloadsFolder(),
                                    config_.HasFlag(kFlagNoDisableAutoCheck), Locks()));
          EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void UpdateOptionsDialog::Initialise(HWND window) {
  SetWindowTextW(window, LoadResourceString(IDS_UPDATE_OPTIONS).c_str());
  SetDialogTexts(window, {{IDOK, IDS_OK},
                          {IDCANCEL, IDS_CANCEL},
                          {IDC_OPTIONS_FOLDER_LABEL, IDS_DOWNLOADS_FOLDER},
                          {IDC_OPTIONS_FREQUENCY_LABEL, IDS_CHECK_FREQUENCY},
                          {IDC_OPTIONS_DAYS, IDS_DAYS},
                          {IDC_OPTIONS_NO_CHECK, IDS_DO_NOT_CHECK_AUTOMATICALLY},
                          {IDC_OPTIONS_PROMPT, IDS_CHECK_AND_PROMPT},
                          {IDC_OPTIONS_AUTOMATIC, IDS_CHECK_AND_AUTO_INSTALL}});
  const HWND kind = GetDlgItem(window, IDC_OPTIONS_AUTOMATIC_KIND);
  SendMessageW(kind, CB_INSERTSTRING, kAllIndex,
               reinterpret_cast<LPARAM>(LoadResourceString(IDS_POLICY_ALL).c_str()));
  SendMessageW(kind, CB_INSERTSTRING, kCriticalIndex,
               reinterpret_cast<LPARAM>(LoadResourceString(IDS_POLICY_CRITICAL).c_str()));

  const SettingsStore& settings = config_.Settings();
  StoredPolicy stored;
  const std::optional<DWORD> policy = config_.AutoUpdatePolicy();
  stored.hasPolicy = policy.has_value();
  stored.policy = policy.value_or(0);
  settings.ReadFlag(SettingsKey::Settings, L"NoAutoUpdateCheck", &stored.noAutoCheck);
  UpdateOptions options;
  ShowStoredPolicy(stored, config_.HasFlag(kFlagNoDisableAutoCheck), &options);
  CheckRadioButton(window, IDC_OPTIONS_NO_CHECK, IDC_OPTIONS_AUTOMATIC, ChoiceButton(options.choice));
  SendMessageW(kind, CB_SETCURSEL, options.criticalOnly ? kCriticalIndex : kAllIndex, 0);

  SendDlgItemMessageW(window, IDC_OPTIONS_FREQUENCY, EM_LIMITTEXT, kFrequencyDigits, 0);
  SetDlgItemTextW(window, IDC_OPTIONS_FREQUENCY, std::to_wstring(config_.CheckFrequency()).c_str());
  SendDlgItemMessageW(window, IDC_OPTIONS_FOLDER, EM_LIMITTEXT, kFolderLimit, 0);
  SetDlgItemTextW(window, IDC_OPTIONS_FOLDER, config_.DownloadsFolder().c_str());
  SetDlgItemTextW(window, IDC_OPTIONS_NEXT_CHECK, NextCheckText(settings).c_str());
  if (Locks().Any()) {
    SetDlgItemTextW(window, IDC_OPTIONS_MANAGED, LoadResourceString(IDS_SOME_OPTIONS_MANAGED).c_str());
  }
  UpdateEnabling(window);
}

UpdateOptions UpdateOptionsDialog::Read(HWND window) const {
  UpdateOptions options;
  options.choice = CheckedChoice(window);
  options.criticalOnly =
      SendDlgItemMessageW(window, IDC_OPTIONS_AUTOMATIC_KIND, CB_GETCURSEL, 0, 0) == kCriticalIndex;
  options.frequency = DialogItemText(window, IDC_OPTIONS_FREQUENCY);
  options.downloadsFolder = DialogItemText(window, IDC_OPTIONS_FOLDER);
  return options;
}

void UpdateOptionsDialog::UpdateEnabling(HWND window) const {
  const OptionsEnabling enabling =
      EnablingFor(CheckedChoice(window), config_.HasFlag(kFlagNoDisableAutoCheck), Locks());
  EnableWindow(GetDlgItem(window, IDC_OPTIONS_NO_CHECK), enabling.noCheck);
  EnableWindow(GetDlgItem(window, IDC_OPTIONS_PROMPT), enabling.choices);
  EnableWindow(GetDlgItem(window, IDC_OPTIONS_AUTOMATIC), enabling.choices);
  for (const int id : {IDC_OPTIONS_FREQUENCY, IDC_OPTIONS_FREQUENCY_LABEL, IDC_OPTIONS_DAYS,
                       IDC_OPTIONS_NEXT_CHECK}) {
    EnableWindow(GetDlgItem(window, id), enabling.frequency);
  }
  EnableWindow(GetDlgItem(window, IDC_OPTIONS_AUTOMATIC_KIND), enabling.automaticKind);
}

void UpdateOptionsDialog::BrowseForFolder(HWND window) const {
  const std::wstring title = LoadResourceString(IDS_DOWNLOADS_FOLDER);
  BROWSEINFOW browse = {};
  browse.hwndOwner = window;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const std::unique_ptr<ITEMIDLIST, PidlDeleter> chosen(SHBrowseForFolderW(&browse));
  wchar_t path[MAX_PATH] = {};
  // Only a file-system folder has a path; a virtual one (Control Panel) leaves the text alone.
  if (chosen && SHGetPathFromIDListW(chosen.get(), path)) {
    SetDlgItemTextW(window, IDC_OPTIONS_FOLDER, path);
  }
}

void UpdateOptionsDialog::Save(const OptionsChanges& changes) const {
  if (changes.folderChanged) config_.SaveDownloadsFolder(changes.folder);
  if (changes.frequencyChanged) {
    config_.SaveCheckFrequency(changes.frequency);
    ScheduleNextCheck(config_, changes.frequency);
  }
  if (changes.writesPolicy) {
    config_.Settings().WriteDword(SettingsKey::Settings, L"AutoUpdatePolicy", changes.policy);
  }
}

OptionsLocks UpdateOptionsDialog::Locks() const {
  const AdminPolicy& policy = config_.Policy();
  return {policy.autoUpdatePolicy.has_value(), policy.checkFrequency.has_value()};
}

}  // namespace updater
