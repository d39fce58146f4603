// On Linux, boxes reach the active watcher through the platform layer's
// handler (TlySetMessageBoxHandler).
#include "simhost/MessageBoxWatcher.h"

#include "platform/Win32.h"

struct MessageBoxWatcher::Hook {
  static MessageBoxWatcher* active;

  static int OnMessageBox(void* context, HWND, LPCSTR text, LPCSTR caption, UINT) {
    auto* watcher = static_cast<MessageBoxWatcher*>(context);
    if (watcher != nullptr && watcher->handler_) {
      watcher->handler_(caption != nullptr ? caption : "", text != nullptr ? text : "");
    }
    return IDOK;
  }

  static void Install(MessageBoxWatcher* watcher) {
    active = watcher;
    if (watcher != nullptr) {
      TlySetMessageBoxHandler(&OnMessageBox, watcher);
    } else {
      TlySetMessageBoxHandler(nullptr, nullptr);
    }
  }
};

MessageBoxWatcher* MessageBoxWatcher::Hook::active = nullptr;

MessageBoxWatcher::MessageBoxWatcher(Handler handler)
    : handler_(std::move(handler)), previous_(Hook::active) {
  Hook::Install(this);
}

MessageBoxWatcher::~MessageBoxWatcher() { Hook::Install(previous_); }
