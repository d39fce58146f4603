#include "runtime/testing/FakeHost.h"

#include <cstring>
#include <utility>

#include "abi/HostAbi.h"
#include "extension/ExpressionParamReader.h"

namespace {

constexpr char kFill = '\x5A';  // what fresh string space holds, so a missing NUL shows

std::string KindName(HostWord kind) { return std::to_string(static_cast<intptr_t>(kind)); }

HostWord IntegerWord(int32_t value) { return static_cast<HostWord>(static_cast<uint32_t>(value)); }

std::u16string Widen(const std::string& name) {
  std::u16string wide(name.size(), u'\0');
  for (std::size_t i = 0; i < name.size(); ++i) wide[i] = static_cast<unsigned char>(name[i]);
  return wide;
}

HWND MakeListBox() {
  return CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

FakeHost::~FakeHost() {
  for (const auto& object : slots_) {
    if (object && object->listBox != nullptr) DestroyWindow(object->listBox);
  }
}

HostWord FakeHost::TextWord(std::string text) {
  texts_.push_back(std::move(text));
  return reinterpret_cast<HostWord>(texts_.back().c_str());
}

void FakeHost::QueueText(std::string text) {
  eventParameters_.push_back({kEventParamText, TextWord(std::move(text))});
}

void FakeHost::QueueInteger(int32_t value) {
  eventParameters_.push_back({kEventParamInteger, IntegerWord(value)});
}

void FakeHost::QueueFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  eventParameters_.push_back({kEventParamFloat, bits});
}

void FakeHost::BeginExpression(HostWord handle) {
  if (!expressionParameters_.empty()) Fault("an expression left parameters untaken");
  expressionParameters_.clear();
  expressionStarted_ = true;
  firstAsked_ = false;
  expectedHandle_ = WidenParamHandle(handle);
  resultFlags_ = 0;
}

void FakeHost::QueueExpressionText(std::string text) {
  expressionParameters_.push_back({kExpressionParamText, TextWord(std::move(text))});
}

void FakeHost::QueueExpressionInteger(int32_t value) {
  expressionParameters_.push_back({kExpressionParamInteger, IntegerWord(value)});
}

std::vector<std::string> FakeHost::Faults() const {
  std::vector<std::string> all = faults_;
  if (!eventParameters_.empty()) all.push_back("event parameters left untaken");
  if (!expressionParameters_.empty()) all.push_back("expression parameters left untaken");
  return all;
}

HostWord FakeHost::Take(std::deque<Parameter>& queue, HostWord kind, const char* what) {
  if (queue.empty()) {
    Fault(std::string(what) + ": asked past the last parameter");
    return 0;
  }
  const Parameter next = queue.front();
  queue.pop_front();
  if (next.kind != kind) {
    Fault(std::string(what) + ": asked for kind " + KindName(kind) + " where kind " +
          KindName(next.kind) + " comes");
  }
  return next.value;
}

HostWord FakeHost::GetEventParameter(HostWord kind) {
  return Take(eventParameters_, kind, "GetEventParameter");
}

HostWord FakeHost::GetFirstExpressionParameter(HostWord kind, HostWord handle) {
  if (!expressionStarted_) Fault("GetFirstExpressionParameter outside an expression");
  if (firstAsked_) Fault("GetFirstExpressionParameter asked twice in one expression");
  if (handle != expectedHandle_) Fault("GetFirstExpressionParameter: wrong handle");
  firstAsked_ = true;
  return Take(expressionParameters_, kind, "GetFirstExpressionParameter");
}

HostWord FakeHost::GetNextExpressionParameter(HostWord kind, HostWord handle) {
  if (!firstAsked_) Fault("GetNextExpressionParameter before GetFirstExpressionParameter");
  if (handle != expectedHandle_) Fault("GetNextExpressionParameter: wrong handle");
  return Take(expressionParameters_, kind, "GetNextExpressionParameter");
}

char* FakeHost::GetStringSpace(uint32_t size) {
  stringSpace_.push_back(std::make_unique<char[]>(size));
  std::memset(stringSpace_.back().get(), kFill, size);
  stringSpaceSizes_.push_back(size);
  return stringSpace_.back().get();
}

std::string FakeHost::StringSpaceText(HostWord address) {
  for (std::size_t i = 0; i < stringSpace_.size(); ++i) {
    const char* space = stringSpace_[i].get();
    if (reinterpret_cast<HostWord>(space) != address) continue;
    const std::size_t size = stringSpaceSizes_[i];
    const void* end = std::memchr(space, '\0', size);
    if (end == nullptr) {
      Fault("a text result without its NUL in its string space");
      return std::string(space, size);
    }
    return std::string(space, static_cast<const char*>(end));
  }
  Fault("a text result outside the host's string space");
  return std::string();
}

HostWord FakeHost::CallHostFunction(void*, HostWord function, HostWord, HostWord, HostWord) {
  if (function == kHostFunctionNamesAreWide) return namesWide_ ? 1 : 0;
  if (function == kHostFunctionNameCodePage) return codePage_;
  return 0;
}

HWND FakeHost::AddListObject(const std::string& name) {
  slots_.push_back(
      std::make_unique<Object>(Object{kListObjectIdentifier, name, Widen(name), MakeListBox()}));
  return slots_.back()->listBox;
}

HWND FakeHost::AddWideNamedListObject(const std::u16string& name) {
  slots_.push_back(
      std::make_unique<Object>(Object{kListObjectIdentifier, "", name, MakeListBox()}));
  return slots_.back()->listBox;
}

void FakeHost::AddObject(uint32_t identifier, const std::string& name) {
  slots_.push_back(std::make_unique<Object>(Object{identifier, name, Widen(name), nullptr}));
}

void FakeHost::AddFreeSlot() { slots_.push_back(nullptr); }

int32_t FakeHost::LiveObjectCount() {
  if (hasLiveCountOverride_) return liveCountOverride_;
  int32_t live = 0;
  for (const auto& object : slots_) live += object ? 1 : 0;
  return live;
}

bool FakeHost::NextLiveObject(uint32_t* slot, HostObjectView* view) {
  while (*slot < slots_.size()) {
    const Object* object = slots_[(*slot)++].get();
    if (object == nullptr) continue;
    view->identifier = object->identifier;
    view->name = namesWide_ ? static_cast<const void*>(object->wideName.c_str())
                            : static_cast<const void*>(object->narrowName.c_str());
    view->listBox = reinterpret_cast<HostWord>(object->listBox);
    return true;
  }
  return false;
}

std::vector<std::string> FakeHost::Items(HWND listBox) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
    item.resize(static_cast<std::size_t>(length));
    items.push_back(item);
  }
  return items;
}

void FakeHost::AddItem(HWND listBox, const std::string& text) {
  SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
