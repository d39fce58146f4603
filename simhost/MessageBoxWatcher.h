// MessageBoxWatcher: while it lives, every message box that the process shows
// is reported to its handler with the box's caption and text, and answered
// with OK at once; nothing waits for a person.
//
// One watcher is active at a time: a newer one takes over, and when it ends
// the one before it is active again. Watchers must end in the reverse order
// of their making.
#ifndef TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_
#define TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_

#include <functional>
#include <string>

class MessageBoxWatcher {
 public:
  using Handler = std::function<void(const std::string& caption, const std::string& text)>;

  explicit MessageBoxWatcher(Handler handler);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

 private:
  struct Hook;  // the platform's side, in the implementation file
  friend struct Hook;

  Handler handler_;
  MessageBoxWatcher* previous_;
};

#endif  // TALLYRA_SIMHOST_MESSAGEBOXWATCHER_H_
