// FakeHost: a HostServices for tests of the routines, playing the host's part
// in one instance's calls.
//
// Parameters are queued before a routine runs and handed out in order; asking
// for a kind other than the one queued next, asking past the queue, and asking
// for an expression's parameters out of the First/Next order are recorded as
// faults (Faults() also reports parameters left untaken). The host owns the
// texts it hands out and the string space it gives, for its whole life. Result
// flags, raised events and the object list with its List objects (each a list
// box made through the platform layer) are kept for the test to set and read.
#ifndef TALLYRA_RUNTIME_TESTING_FAKEHOST_H_
#define TALLYRA_RUNTIME_TESTING_FAKEHOST_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "runtime/HostServices.h"

class FakeHost : public HostServices {
 public:
  FakeHost() = default;
  ~FakeHost() override;
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // Parameters of the next action or condition.
  void QueueText(std::string text);
  void QueueInteger(int32_t value);
  void QueueFloat(float value);

  // Starts an expression called with this handle: clears the result flags,
  // expects GetFirstExpressionParameter first and the handle's low 16 bits
  // widened with their sign in every request.
  void BeginExpression(HostWord handle);
  void QueueExpressionText(std::string text);
  void QueueExpressionInteger(int32_t value);

  // Everything that went wrong in the exchange so far, parameters left over
  // included; empty when all went as a host expects.
  std::vector<std::string> Faults() const;

  uint16_t resultFlags() const { return resultFlags_; }
  // The text at a result address; records a fault when the address is not
  // string space of this host holding a NUL within its size.
  std::string StringSpaceText(HostWord address);
  // Sizes of the string space requests, in order.
  const std::vector<uint32_t>& stringSpaceSizes() const { return stringSpaceSizes_; }
  const std::vector<HostWord>& events() const { return events_; }

  // The object list. Names are given as 8-bit text and offered as 16-bit
  // characters (each byte widened, or the given 16-bit text) when names are wide.
  HWND AddListObject(const std::string& name);
  HWND AddWideNamedListObject(const std::u16string& name);
  void AddObject(uint32_t identifier, const std::string& name);
  void AddFreeSlot();
  void SetNamesWide(bool wide) { namesWide_ = wide; }
  void SetCodePage(uint32_t codePage) { codePage_ = codePage; }
  // Overrides the live object count that the host reports (normally the
  // number of objects added).
  void SetLiveObjectCount(int32_t count) {
    liveCountOverride_ = count;
    hasLiveCountOverride_ = true;
  }

  // The list box's items, in order.
  static std::vector<std::string> Items(HWND listBox);
  static void AddItem(HWND listBox, const std::string& text);

  // HostServices
  HostWord GetEventParameter(HostWord kind) override;
  HostWord GetFirstExpressionParameter(HostWord kind, HostWord handle) override;
  HostWord GetNextExpressionParameter(HostWord kind, HostWord handle) override;
  char* GetStringSpace(uint32_t size) override;
  void MarkResult(uint16_t bits) override { resultFlags_ |= bits; }
  void GenerateEvent(HostWord code) override { events_.push_back(code); }
  HostWord CallHostFunction(void* editData, HostWord function, HostWord a, HostWord b,
                            HostWord c) override;
  int32_t LiveObjectCount() override;
  bool NextLiveObject(uint32_t* slot, HostObjectView* object) override;
  bool NamesAreWide() override { return namesWide_; }
  uint32_t NameCodePage() override { return codePage_; }

 private:
  struct Parameter {
    HostWord kind;
    HostWord value;
  };
  struct Object {
    uint32_t identifier;
    std::string narrowName;
    std::u16string wideName;
    HWND listBox;
  };

  HostWord TextWord(std::string text);
  HostWord Take(std::deque<Parameter>& queue, HostWord kind, const char* what);
  void Fault(std::string what) { faults_.push_back(std::move(what)); }

  std::deque<Parameter> eventParameters_;
  std::deque<Parameter> expressionParameters_;
  std::deque<std::string> texts_;  // handed-out parameter texts; deque keeps them in place
  bool expressionStarted_ = false;
  bool firstAsked_ = false;
  HostWord expectedHandle_ = 0;
  uint16_t resultFlags_ = 0;
  std::vector<std::unique_ptr<char[]>> stringSpace_;
  std::vector<uint32_t> stringSpaceSizes_;
  std::vector<HostWord> events_;
  std::vector<std::unique_ptr<Object>> slots_;  // null: a free slot
  bool namesWide_ = false;
  uint32_t codePage_ = CP_ACP;
  bool hasLiveCountOverride_ = false;
  int32_t liveCountOverride_ = 0;
  std::vector<std::string> faults_;
};

#endif  // TALLYRA_RUNTIME_TESTING_FAKEHOST_H_
