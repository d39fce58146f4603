#include "runtime/testing/BoxRecorder.h"

using tallyra::simhost::MessageBoxWatcher;

BoxRecorder::BoxRecorder()
    : watcher_([this](const MessageBoxWatcher::Box& box) {
        boxes_.push_back({box.caption, box.text, box.hasOwner, box.type});
      }) {}

BoxRecorder::~BoxRecorder() = default;

std::vector<std::string> BoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedBox& box : boxes_) texts.push_back(box.text);
  return texts;
}
