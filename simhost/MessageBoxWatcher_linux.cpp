// MessageBoxWatcher on Linux: the handler of the Win32 stand-in's MessageBoxA.
#include "simhost/MessageBoxWatcher.h"

#include <utility>

#include "platform/Win32.h"

namespace tallyra::simhost {

struct MessageBoxWatcher::State {
  BoxHandler handler;
  State* previous = nullptr;
};

namespace {

// The watcher in force on this thread.
thread_local MessageBoxWatcher::State* current = nullptr;

int Answer(void*, HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (current != nullptr && current->handler) {
    try {
      MessageBoxWatcher::Box box;
      box.caption = caption;
      box.text = text;
      box.has_owner = owner != nullptr;
      box.type = type;
      current->handler(box);
    } catch (...) {
      // A handler's failure must not unwind through the module; the box is still answered.
    }
  }
  return IDOK;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(Handler handler)
    : MessageBoxWatcher(BoxHandler([handler = std::move(handler)](const Box& box) {
        if (handler) handler(box.caption, box.text);
      })) {}

MessageBoxWatcher::MessageBoxWatcher(BoxHandler handler) : state_(new State) {
  state_->handler = std::move(handler);
  state_->previous = current;
  current = state_.get();
  TlySetMessageBoxHandler(&Answer, nullptr);
}

MessageBoxWatcher::~MessageBoxWatcher() {
  current = state_->previous;
  if (current == nullptr) TlySetMessageBoxHandler(nullptr, nullptr);
}

}  // namespace tallyra::simhost
