// MessageBoxA: there is no screen, so a box is handed to the handler that the
// host installed with TlySetMessageBoxHandler, which answers it. Without a
// handler the box is written to standard error as "[caption] text" and
// answered with IDOK.
#include <cstdio>
#include <mutex>

#include "platform/Win32.h"

namespace tly_platform {
namespace {

struct MessageBoxHandler {
  std::mutex mutex;
  TlyMessageBoxHandler handler = nullptr;
  void* context = nullptr;
};

MessageBoxHandler& TheHandler() {
  static MessageBoxHandler* handler = new MessageBoxHandler;  // never destroyed
  return *handler;
}

}  // namespace
}  // namespace tly_platform

extern "C" {

void TlySetMessageBoxHandler(TlyMessageBoxHandler handler, void* context) {
  tly_platform::MessageBoxHandler& current = tly_platform::TheHandler();
  std::lock_guard<std::mutex> lock(current.mutex);
  current.handler = handler;
  current.context = context;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (text == nullptr) text = "";
  if (caption == nullptr) caption = "Error";  // Win32's caption when none is given
  TlyMessageBoxHandler handler;
  void* context;
  {
    tly_platform::MessageBoxHandler& current = tly_platform::TheHandler();
    std::lock_guard<std::mutex> lock(current.mutex);
    handler = current.handler;
    context = current.context;
  }
  // The handler runs unlocked: it may show a box itself, or replace itself.
  if (handler != nullptr) return handler(context, owner, text, caption, type);
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  return IDOK;
}

}  // extern "C"
