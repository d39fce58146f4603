#include "runtime/testing/FakePort.h"

#include <utility>

namespace tallyra {

namespace {

const char* KindName(int kind) {
  switch (kind) {
    case 0:
      return "a text";
    case 1:
      return "an integer";
    default:
      return "a float";
  }
}

}  // namespace

std::vector<std::string> FakePort::Faults() const {
  std::vector<std::string> all = faults_;
  if (!parameters_.empty()) all.push_back("parameters left untaken");
  return all;
}

std::vector<std::string> FakePort::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Message& message : messages_) texts.push_back(message.text);
  return texts;
}

std::size_t FakePort::AddListObject(const std::string& name, std::vector<std::string> items) {
  objects_.push_back({name, std::move(items)});
  return objects_.size() - 1;
}

FakePort::Parameter FakePort::Take(Kind kind) {
  if (parameters_.empty()) {
    faults_.push_back(std::string("asked for ") + KindName(kind) + " past the last parameter");
    return Parameter{kind, std::string(), 0, 0.0f};
  }
  Parameter next = std::move(parameters_.front());
  parameters_.pop_front();
  if (next.kind != kind) {
    faults_.push_back(std::string("asked for ") + KindName(kind) + " where " + KindName(next.kind) +
                      " comes");
  }
  return next;
}

std::string FakePort::NextTextUpTo(std::size_t limit) {
  return Take(kText).text.substr(0, limit + 1);
}
int32_t FakePort::NextInteger() { return Take(kInteger).integer; }
float FakePort::NextFloat() { return Take(kFloat).real; }

void FakePort::ReturnText(std::string_view text) {
  if (result_ != ResultKind::kNone) faults_.push_back("a second result");
  result_ = ResultKind::kText;
  text_.assign(text.data(), text.size());
  returned_texts_.push_back(text_);
}

void FakePort::ReturnEmptyText() {
  if (result_ != ResultKind::kNone) faults_.push_back("a second result");
  result_ = ResultKind::kEmptyText;
  text_.clear();
}

void FakePort::ReturnInteger(int32_t value) {
  if (result_ != ResultKind::kNone) faults_.push_back("a second result");
  result_ = ResultKind::kInteger;
  integer_ = value;
}

void FakePort::ReturnFloat(double value) {
  if (result_ != ResultKind::kNone) faults_.push_back("a second result");
  result_ = ResultKind::kFloat;
  real_ = static_cast<float>(value);
}

std::optional<ListObjectRef> FakePort::FindListObject(const std::string& name) {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i].name == name) return ListObjectRef{i};
  }
  return std::nullopt;
}

int32_t FakePort::ListObjectItemCount(ListObjectRef object) {
  return static_cast<int32_t>(objects_.at(object.token).items.size());
}

std::string_view FakePort::ListObjectItem(ListObjectRef object, int32_t index) {
  return objects_.at(object.token).items.at(static_cast<std::size_t>(index));
}

bool FakePort::AddListObjectItem(ListObjectRef object, const std::string& text) {
  objects_.at(object.token).items.push_back(text);
  return true;
}

}  // namespace tallyra
