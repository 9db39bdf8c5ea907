#include "e2e/WizardUser.h"

#include <commctrl.h>

#include "TestSupport.h"
#include "base/UniqueHandle.h"
#include "e2e/Scenario.h"

namespace updater::test {
namespace {

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK FindVisibleChild(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (GetDlgCtrlID(window) != search->id || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

WizardUser::~WizardUser() {
  if (sheet_ == nullptr || !IsWindow(sheet_)) return;
  DWORD processId = 0;
  GetWindowThreadProcessId(sheet_, &processId);
  const KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
  if (process) TerminateProcess(process.Get(), 0xDEAD);
}

bool WizardUser::WaitForSheet(const std::wstring& title, bool hidden) {
  return WaitUntil([&] {
    sheet_ = FindWindowW(L"#32770", title.c_str());
    return sheet_ != nullptr && (hidden || IsWindowVisible(sheet_));
  });
}

std::wstring WizardUser::Title() const {
  wchar_t title[256] = {};
  GetWindowTextW(sheet_, title, 256);
  return title;
}

HWND WizardUser::Control(int id) const {
  Search search{id, nullptr};
  if (sheet_ == nullptr) return nullptr;
  EnumChildWindows(sheet_, &FindVisibleChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WizardUser::Text(int id) const {
  // Sent: only WM_GETTEXT reaches another process's control.
  wchar_t text[512] = {};
  SendMessageW(Control(id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

int WizardUser::Rows(int listId) const {
  return static_cast<int>(SendMessageW(Control(listId), LVM_GETITEMCOUNT, 0, 0));
}

bool WizardUser::Checked(int listId, int row) const {
  const LRESULT state = SendMessageW(Control(listId), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return (state >> 12) == 2;
}

// A buffer in the wizard's process, for the list-view messages that carry pointers.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId));
    if (process_) {
      memory_ = static_cast<BYTE*>(
          VirtualAllocEx(process_.Get(), nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    }
  }
  ~RemoteBuffer() {
    if (memory_ != nullptr) VirtualFreeEx(process_.Get(), memory_, 0, MEM_RELEASE);
  }
  BYTE* At(size_t offset) const { return memory_ + offset; }
  void Write(size_t offset, const void* data, size_t size) const {
    WriteProcessMemory(process_.Get(), memory_ + offset, data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_.Get(), memory_ + offset, data, size, nullptr);
  }
  static constexpr size_t kSize = 4096;

 private:
  KernelHandle process_;
  BYTE* memory_ = nullptr;
};

std::wstring WizardUser::Cell(int listId, int row, int column) const {
  const HWND list = Control(listId);
  const RemoteBuffer remote(list);
  constexpr int kChars = 256;
  LVITEMW item = {};
  item.iSubItem = column;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(item)));
  remote.Write(0, &item, sizeof(item));
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.At(0)));
  wchar_t text[kChars] = {};
  remote.Read(sizeof(item), text, sizeof(text) - sizeof(wchar_t));
  return text;
}

void WizardUser::Click(int listId, int row) const {
  const HWND list = Control(listId);
  const RemoteBuffer remote(list);
  const bool checked = Checked(listId, row);
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 1 : 2);
  remote.Write(0, &item, sizeof(item));
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.At(0)));
}

void WizardUser::DoubleClick(int listId, int row) const {
  const HWND list = Control(listId);
  const RemoteBuffer remote(list);
  RECT bounds = {LVIR_LABEL, 0, 0, 0};
  remote.Write(0, &bounds, sizeof(bounds));
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.At(0)));
  remote.Read(0, &bounds, sizeof(bounds));
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(bounds.left + 4, bounds.top + 4));
}

void WizardUser::ChooseFromMenu(int listId, int downs) const {
  const HWND list = Control(listId);
  PostMessageW(GetParent(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr && IsWindowVisible(menu); });
  for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  WaitUntil([&] { return !IsWindowVisible(menu); }, 5000);
}

std::wstring WizardUser::AnswerBox(int button) const {
  DWORD wizard = 0;
  GetWindowThreadProcessId(sheet_, &wizard);
  HWND box = nullptr;
  WaitUntil([&] {
    for (box = FindWindowW(L"#32770", nullptr); box; box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner == wizard && box != sheet_ && IsWindowVisible(box)) return true;
    }
    return false;
  });
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  PostMessageW(box, WM_COMMAND, button, 0);
  return text;
}

void WizardUser::Press(int buttonId) const {
  PostMessageW(GetDlgItem(sheet_, buttonId), BM_CLICK, 0, 0);
}

}  // namespace updater::test
