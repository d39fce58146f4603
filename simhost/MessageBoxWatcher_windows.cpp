// MessageBoxWatcher on Windows: a window hook on the watcher's thread sees each
// dialog box once its dialog procedure has set it up (WM_INITDIALOG has
// returned), reads its caption and text, reports them and posts the box a
// click on OK, which its modal loop then carries out. A message box is a
// dialog of class "#32770"; its text is its static control that is not an
// icon; its type is read from the buttons it shows and from its icon.
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

namespace tallyra::simhost {

struct MessageBoxWatcher::State {
  BoxHandler handler;
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

// What a box shows: its text, its buttons and its icon.
struct Controls {
  std::string text;
  unsigned buttons = 0;  // bit n: the button with id n (IDOK 1 ... IDCONTINUE 11)
  HICON icon = nullptr;
};

BOOL CALLBACK ReadControl(HWND child, LPARAM result) {
  Controls& controls = *reinterpret_cast<Controls*>(result);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if (!(style & WS_VISIBLE)) return TRUE;  // a button or an icon that this box does not use
  if (HasClass(child, "Button")) {
    int id = GetDlgCtrlID(child);
    if (id > 0 && id < 32) controls.buttons |= 1u << id;
  } else if (HasClass(child, "Static")) {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      controls.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else if (controls.text.empty()) {
      controls.text = WindowText(child);  // the first text is the message
    }
  }
  return TRUE;
}

unsigned TypeOf(const Controls& controls) {
  static const struct {
    unsigned buttons;
    unsigned type;
  } kButtons[] = {
      {1u << IDOK, MB_OK},
      {1u << IDOK | 1u << IDCANCEL, MB_OKCANCEL},
      {1u << IDABORT | 1u << IDRETRY | 1u << IDIGNORE, MB_ABORTRETRYIGNORE},
      {1u << IDYES | 1u << IDNO | 1u << IDCANCEL, MB_YESNOCANCEL},
      {1u << IDYES | 1u << IDNO, MB_YESNO},
      {1u << IDRETRY | 1u << IDCANCEL, MB_RETRYCANCEL},
      {1u << IDCANCEL | 1u << IDTRYAGAIN | 1u << IDCONTINUE, MB_CANCELTRYCONTINUE},
  };
  unsigned type = 0;
  for (const auto& entry : kButtons) {
    if ((controls.buttons & ~(1u << 9)) == entry.buttons) type = entry.type;  // 9: the Help button
  }
  if (controls.buttons & (1u << 9)) type |= MB_HELP;
  static const struct {
    LPCSTR icon;
    unsigned type;
  } kIcons[] = {
      {IDI_HAND, MB_ICONHAND},
      {IDI_QUESTION, MB_ICONQUESTION},
      {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
      {IDI_ASTERISK, MB_ICONASTERISK},
  };
  if (controls.icon != nullptr) {
    for (const auto& entry : kIcons) {
      if (LoadIconA(nullptr, entry.icon) == controls.icon) type |= entry.type;
    }
  }
  return type;
}

void Answer(HWND box) {
  Controls controls;
  EnumChildWindows(box, ReadControl, reinterpret_cast<LPARAM>(&controls));
  if (current != nullptr && current->handler) {
    try {
      MessageBoxWatcher::Box seen;
      seen.caption = WindowText(box);
      seen.text = controls.text;
      seen.has_owner = GetWindow(box, GW_OWNER) != nullptr;
      seen.type = TypeOf(controls);
      current->handler(seen);
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

MessageBoxWatcher::MessageBoxWatcher(Handler handler)
    : MessageBoxWatcher(BoxHandler([handler = std::move(handler)](const Box& box) {
        if (handler) handler(box.caption, box.text);
      })) {}

MessageBoxWatcher::MessageBoxWatcher(BoxHandler handler) : state_(new State) {
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

}  // namespace tallyra::simhost
