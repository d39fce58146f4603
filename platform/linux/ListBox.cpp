// Windows: the one window class that the module talks to, the list box.
//
// CreateWindowExA makes "LISTBOX" windows (the class name in any letter case)
// and fails for every other class. A list box keeps its items, texts of any
// length, in the order they were added; sorted and owner-drawn list boxes are
// not made. SendMessageA answers the list-box messages LB_ADDSTRING,
// LB_GETCOUNT, LB_GETTEXTLEN and LB_GETTEXT as a list box does, and 0 to every
// other message and to a handle that is not a live window. All windows live in
// one table under one lock.
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "platform/linux/HandleTable.h"

namespace tly_platform {
namespace {

struct ListBox {
  std::vector<std::string> items;
};

struct Windows {
  std::mutex mutex;
  HandleTable<ListBox> table{0x20000000};
};

Windows& TheWindows() {
  static Windows* windows = new Windows;  // never destroyed: usable until the process ends
  return *windows;
}

bool IsListBoxClass(LPCSTR name) {
  // Small values are class atoms, not names.
  if (reinterpret_cast<uintptr_t>(name) < 0x10000) return false;
  static const char kListBox[] = "listbox";
  for (size_t i = 0; i < sizeof kListBox; ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kListBox[i]) return false;
  }
  return true;
}

// The item at index wParam, or null.
const std::string* Item(const ListBox& box, WPARAM index) {
  return index < box.items.size() ? &box.items[index] : nullptr;
}

}  // namespace
}  // namespace tly_platform

using tly_platform::HandleValue;
using tly_platform::ListBox;
using tly_platform::Windows;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD style, int, int, int, int, HWND,
                            HMENU, HINSTANCE, void*) {
  if (!tly_platform::IsListBoxClass(className)) return nullptr;
  if (style & (LBS_SORT | LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) return nullptr;
  try {
    Windows& windows = tly_platform::TheWindows();
    std::lock_guard<std::mutex> lock(windows.mutex);
    return tly_platform::ToHandle<HWND>(windows.table.Add(std::make_unique<ListBox>()));
  } catch (...) {
    return nullptr;
  }
}

BOOL WINAPI DestroyWindow(HWND window) {
  Windows& windows = tly_platform::TheWindows();
  std::unique_ptr<ListBox> gone;
  {
    std::lock_guard<std::mutex> lock(windows.mutex);
    gone = windows.table.Remove(HandleValue(window));
  }
  return gone != nullptr ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Windows& windows = tly_platform::TheWindows();
  std::lock_guard<std::mutex> lock(windows.mutex);
  ListBox* box = windows.table.Find(HandleValue(window));
  if (box == nullptr) return 0;
  switch (message) {
    case LB_ADDSTRING: {
      const char* text = reinterpret_cast<const char*>(lParam);
      try {
        box->items.emplace_back(text != nullptr ? text : "");
      } catch (...) {
        return LB_ERRSPACE;
      }
      return static_cast<LRESULT>(box->items.size() - 1);
    }
    case LB_GETCOUNT:
      return static_cast<LRESULT>(box->items.size());
    case LB_GETTEXTLEN: {
      const std::string* item = tly_platform::Item(*box, wParam);
      return item != nullptr ? static_cast<LRESULT>(item->size()) : LB_ERR;
    }
    case LB_GETTEXT: {
      const std::string* item = tly_platform::Item(*box, wParam);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (item == nullptr || buffer == nullptr) return LB_ERR;
      std::memcpy(buffer, item->c_str(), item->size() + 1);
      return static_cast<LRESULT>(item->size());
    }
    default:
      return 0;
  }
}

}  // extern "C"
