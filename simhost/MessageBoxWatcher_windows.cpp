// MessageBoxWatcher on Windows: a window hook on the watcher's thread sees each
// dialog box once its dialog procedure has set it up (WM_INITDIALOG has
// returned), reads its caption and text, reports them and posts the box a
// click on OK, which its modal loop then carries out. A message box is a
// dialog of class "#32770"; its text is its static control that is not an icon.
#include "simhost/MessageBoxWatcher.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>

struct MessageBoxWatcher::State {
  Handler handler;
  State* previous = nullptr;
  HHOOK hook = nullptr;  // set in the thread's first watcher only
};

namespace {

// The watcher in force on this thread.
thread_local MessageBoxWatcher::State* current = nullptr;

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool HasClass(HWND window, const char* name) {
  char found[32] = "";
  GetClassNameA(window, found, sizeof found);
  return lstrcmpiA(found, name) == 0;
}

BOOL CALLBACK FindText(HWND child, LPARAM result) {
  if (!HasClass(child, "Static")) return TRUE;
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
  std::string text = WindowText(child);
  if (text.empty()) return TRUE;
  *reinterpret_cast<std::string*>(result) = std::move(text);
  return FALSE;  // the first text is the message
}

void Answer(HWND box) {
  std::string caption = WindowText(box);
  std::string text;
  EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&text));
  if (current != nullptr && current->handler) {
    try {
      current->handler(caption, text);
    } catch (...) {
      // A handler's failure must not unwind through the module; the box is still answered.
    }
  }
  // What the OK button sends when it is clicked; the box's modal loop carries
  // it out as soon as the box is up.
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (message->message == WM_INITDIALOG && HasClass(message->hwnd, "#32770")) {
      Answer(message->hwnd);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(Handler handler) : state_(new State) {
  state_->handler = std::move(handler);
  state_->previous = current;
  if (state_->previous == nullptr) {
    state_->hook =
        SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
  }
  current = state_.get();
}

MessageBoxWatcher::~MessageBoxWatcher() {
  current = state_->previous;
  if (state_->hook != nullptr) UnhookWindowsHookEx(state_->hook);
}
