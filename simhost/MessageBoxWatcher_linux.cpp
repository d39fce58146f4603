// MessageBoxWatcher on Linux: the handler of the Win32 stand-in's MessageBoxA.
#include "simhost/MessageBoxWatcher.h"

#include <utility>

#include "platform/Win32.h"

struct MessageBoxWatcher::State {
  Handler handler;
  State* previous = nullptr;
};

namespace {

// The watcher in force on this thread.
thread_local MessageBoxWatcher::State* current = nullptr;

int Answer(void*, HWND, LPCSTR text, LPCSTR caption, UINT) {
  if (current != nullptr && current->handler) {
    try {
      current->handler(caption, text);
    } catch (...) {
      // A handler's failure must not unwind through the module; the box is still answered.
    }
  }
  return IDOK;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(Handler handler) : state_(new State) {
  state_->handler = std::move(handler);
  state_->previous = current;
  current = state_.get();
  TlySetMessageBoxHandler(&Answer, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
  current = state_->previous;
  if (current == nullptr) TlySetMessageBoxHandler(nullptr, nullptr);
}
