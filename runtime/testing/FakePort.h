// FakePort: a HostPort for tests of the routines, playing the host's part in
// one instance's calls.
//
// Parameters are queued before a routine runs and handed out in order; asking
// for a kind other than the one queued next, or asking past the queue, is
// recorded as a fault (Faults() also reports parameters left untaken). The
// last result, raised conditions, shown messages and the List objects with
// their items are kept for the test to set and read.
#ifndef TALLYRA_RUNTIME_TESTING_FAKEPORT_H_
#define TALLYRA_RUNTIME_TESTING_FAKEPORT_H_

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "runtime/HostPort.h"

namespace tallyra {

class FakePort : public HostPort {
 public:
  // What the last expression handed back.
  enum class ResultKind { kNone, kText, kEmptyText, kInteger, kFloat };
  struct Message {
    std::string caption;
    std::string text;
  };

  // Parameters of the next call.
  void QueueText(std::string text) { parameters_.push_back({kText, std::move(text), 0, 0.0f}); }
  void QueueInteger(int32_t value) {
    parameters_.push_back({kInteger, std::string(), value, 0.0f});
  }
  void QueueFloat(float value) { parameters_.push_back({kFloat, std::string(), 0, value}); }

  // Forgets the last result, before an expression runs.
  void ClearResult() { result_ = ResultKind::kNone; }

  // Everything that went wrong in the exchange so far, parameters left over
  // included; empty when all went as a host expects.
  std::vector<std::string> Faults() const;

  ResultKind result_kind() const { return result_; }
  const std::string& result_text() const { return text_; }
  int32_t result_integer() const { return integer_; }
  float result_float() const { return real_; }
  // Every text handed to ReturnText, in order.
  const std::vector<std::string>& returned_texts() const { return returned_texts_; }

  const std::vector<int32_t>& conditions() const { return conditions_; }

  const std::vector<Message>& messages() const { return messages_; }
  std::vector<std::string> MessageTexts() const;
  void ClearMessages() { messages_.clear(); }

  // A List object named `name`, holding `items`; the answer is its index.
  std::size_t AddListObject(const std::string& name, std::vector<std::string> items = {});
  const std::vector<std::string>& Items(std::size_t object) const { return objects_[object].items; }

  // HostPort
  std::string NextTextUpTo(std::size_t limit) override;
  int32_t NextInteger() override;
  float NextFloat() override;
  void ReturnText(std::string_view text) override;
  void ReturnEmptyText() override;
  void ReturnInteger(int32_t value) override;
  void ReturnFloat(double value) override;
  void RaiseCondition(int32_t code) override { conditions_.push_back(code); }
  void ShowMessage(const char* caption, const std::string& text) override {
    messages_.push_back({caption, text});
  }
  std::optional<ListObjectRef> FindListObject(const std::string& name) override;
  int32_t ListObjectItemCount(ListObjectRef object) override;
  std::string_view ListObjectItem(ListObjectRef object, int32_t index) override;
  bool AddListObjectItem(ListObjectRef object, const std::string& text) override;

 private:
  enum Kind { kText, kInteger, kFloat };
  struct Parameter {
    Kind kind;
    std::string text;
    int32_t integer;
    float real;
  };
  struct Object {
    std::string name;
    std::vector<std::string> items;
  };

  Parameter Take(Kind kind);

  std::deque<Parameter> parameters_;
  ResultKind result_ = ResultKind::kNone;
  std::string text_;
  int32_t integer_ = 0;
  float real_ = 0.0f;
  std::vector<std::string> returned_texts_;
  std::vector<int32_t> conditions_;
  std::vector<Message> messages_;
  std::vector<Object> objects_;
  std::vector<std::string> faults_;
};

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_TESTING_FAKEPORT_H_
