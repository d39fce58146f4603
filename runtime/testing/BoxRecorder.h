// BoxRecorder: while it lives, the message boxes that the module shows are
// recorded here and answered with OK (through simhost's MessageBoxWatcher: the
// stand-in's boxes on Linux, real ones under Windows).
#ifndef TALLYRA_RUNTIME_TESTING_BOXRECORDER_H_
#define TALLYRA_RUNTIME_TESTING_BOXRECORDER_H_

#include <string>
#include <vector>

#include "simhost/MessageBoxWatcher.h"

struct RecordedBox {
  std::string caption;
  std::string text;
  bool hasOwner;
  unsigned type;
};

class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  // The texts of the boxes shown, in order.
  std::vector<std::string> Texts() const;
  void Clear() { boxes_.clear(); }

 private:
  std::vector<RecordedBox> boxes_;
  tallyra::simhost::MessageBoxWatcher watcher_;
};

#endif  // TALLYRA_RUNTIME_TESTING_BOXRECORDER_H_
