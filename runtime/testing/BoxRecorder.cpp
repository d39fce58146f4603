#include "runtime/testing/BoxRecorder.h"

#include "platform/Win32.h"

namespace {

int Record(void* context, HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  static_cast<std::vector<RecordedBox>*>(context)->push_back(
      {caption == nullptr ? "" : caption, text == nullptr ? "" : text, owner != nullptr, type});
  return IDOK;
}

}  // namespace

BoxRecorder::BoxRecorder() { TlySetMessageBoxHandler(Record, &boxes_); }

BoxRecorder::~BoxRecorder() { TlySetMessageBoxHandler(nullptr, nullptr); }

std::vector<std::string> BoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedBox& box : boxes_) texts.push_back(box.text);
  return texts;
}
