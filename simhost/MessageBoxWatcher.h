// MessageBoxWatcher: lets the simulated host see and answer the message boxes
// that the module shows. While a watcher lives, every box shown on the thread
// that made it (the host's thread, which makes every call into the module) is
// reported to the handler with its caption and text, and answered with OK, so
// that MessageBoxA returns IDOK at once.
//
// The handler runs on that same thread, inside the MessageBoxA call, before the
// box is answered. A BoxHandler also learns whether the box had an owner window
// and its type: on Linux the MB_ flags as given; on Windows the flags of the
// buttons and the icon that the box shows (flags that show nothing, the
// modality ones say, are not seen there). On Linux the watcher is the stand-in's message-box
// handler (TlySetMessageBoxHandler); on Windows it watches the thread's dialog boxes with a window
// hook and presses their OK button. One watcher per thread: a newer one takes over until it is
// destroyed, then the older one is back.
#ifndef TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_
#define TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_

#include <functional>
#include <memory>
#include <string>

namespace tallyra::simhost {

class MessageBoxWatcher {
 public:
  struct Box {
    std::string caption;
    std::string text;
    bool has_owner = false;
    unsigned type = 0;  // MB_ flags
  };
  using Handler = std::function<void(const std::string& caption, const std::string& text)>;
  using BoxHandler = std::function<void(const Box& box)>;

  explicit MessageBoxWatcher(Handler handler);
  explicit MessageBoxWatcher(BoxHandler handler);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  struct State;  // the platform's part

 private:
  std::unique_ptr<State> state_;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_
