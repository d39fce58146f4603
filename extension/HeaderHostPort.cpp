#include "extension/HeaderHostPort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "extension/ExpressionParamReader.h"
#include "extension/WideName.h"
#include "platform/Win32.h"

namespace tallyra {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "single and double precision are the IEEE formats");

namespace {

const char kEmptyText[] = "";

// A text answer that is null reads as the empty text.
HostWord NonNullText(HostWord answer) {
  return answer != 0 ? answer : reinterpret_cast<HostWord>(kEmptyText);
}

int32_t IntegerOf(HostWord word) { return static_cast<int32_t>(static_cast<uint32_t>(word)); }

// The object's name as 8-bit text in buffer: at most kHostNameChars
// characters (the host's name field), NUL-terminated. False when it has no
// 8-bit form: it then matches no name.
bool ReadObjectName(HeaderHostPort& host, const HostObjectView& object,
                    char (&buffer)[kNameBufferBytes]) {
  std::memset(buffer, 0, sizeof buffer);
  if (object.name == nullptr) return true;
  if (host.NamesAreWide()) {
    return ConvertWideName(host.NameCodePage(), static_cast<const WCHAR*>(object.name), buffer);
  }
  const auto* narrow = static_cast<const char*>(object.name);
  for (std::size_t i = 0; i < kHostNameChars; ++i) {
    buffer[i] = narrow[i];
    if (narrow[i] == '\0') break;
  }
  return true;
}

HWND ListBoxOf(ListObjectRef object) { return reinterpret_cast<HWND>(object.token); }

}  // namespace

// --- HostPort

HostWord HeaderHostPort::NextWord(HostWord event_kind, HostWord expression_kind) {
  if (!expression_) return GetEventParameter(event_kind);
  if (run_.reader == nullptr) throw std::logic_error("the instance was not created");
  ExpressionParamReader& reader = *run_.reader;
  return reader.read(reader, *this, handle_, expression_kind);
}

std::string HeaderHostPort::NextTextUpTo(std::size_t limit) {
  const char* text = reinterpret_cast<const char*>(NextWord(kEventParamText, kExpressionParamText));
  if (text == nullptr) return std::string();
  // No byte is looked at that the budget could not pay for: a text longer
  // than that is refused after a scan of what the budget holds at most.
  const uint64_t remaining = budget_.remaining();
  const uint64_t payable =
      remaining < work_cost::ParameterText(0)
          ? 0
          : (remaining - work_cost::ParameterText(0)) / work_cost::kParameterByte;
  const std::size_t scan =
      static_cast<std::size_t>(std::min<uint64_t>({uint64_t{limit} + 1, payable + 1, SIZE_MAX}));
  const void* end = std::memchr(text, '\0', scan);
  const std::size_t length =
      end == nullptr ? scan : static_cast<std::size_t>(static_cast<const char*>(end) - text);
  if (!budget_.Charge(work_cost::ParameterText(length))) return std::string();
  return std::string(text, length);
}

int32_t HeaderHostPort::NextInteger() {
  return IntegerOf(NextWord(kEventParamInteger, kExpressionParamInteger));
}

float HeaderHostPort::NextFloat() {
  if (expression_) return static_cast<float>(NextInteger());  // expressions take no floats
  const auto bits = static_cast<uint32_t>(GetEventParameter(kEventParamFloat));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void HeaderHostPort::SetResult(HostWord word) {
  result_ = word;
  has_result_ = true;
}

void HeaderHostPort::ReturnText(std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("the text is too long for host string space");
  }
  char* space = GetStringSpace(static_cast<uint32_t>(text.size() + 1));
  // An empty view may hold no data to copy from.
  if (!text.empty()) std::memcpy(space, text.data(), text.size());
  space[text.size()] = '\0';
  MarkResult(kResultText);
  SetResult(reinterpret_cast<HostWord>(space));
}

void HeaderHostPort::ReturnEmptyText() {
  MarkResult(kResultText);
  SetResult(reinterpret_cast<HostWord>(kEmptyText));
}

void HeaderHostPort::ReturnInteger(int32_t value) {
  SetResult(static_cast<HostWord>(static_cast<intptr_t>(value)));
}

void HeaderHostPort::ReturnFloat(double value) {
  const auto single = static_cast<float>(value);  // IEEE rounding; out of range gives infinity
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  MarkResult(kResultFloat);
  SetResult(bits);
}

void HeaderHostPort::RaiseCondition(int32_t code) {
  functions().generate_event(header_, static_cast<HostWord>(code), 0);
}

void HeaderHostPort::ShowMessage(const char* caption, const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}

std::optional<ListObjectRef> HeaderHostPort::FindListObject(const std::string& name) {
  const int32_t live = LiveObjectCount();
  uint32_t slot = 0;
  for (int32_t i = 0; i < live; ++i) {
    HostObjectView object;
    if (!NextLiveObject(&slot, &object)) break;
    if (object.identifier != kListObjectIdentifier) continue;
    char buffer[kNameBufferBytes];
    if (!ReadObjectName(*this, object, buffer)) continue;
    if (std::strcmp(buffer, name.c_str()) == 0) return ListObjectRef{object.list_box};
  }
  return std::nullopt;
}

int32_t HeaderHostPort::ListObjectItemCount(ListObjectRef object) {
  return static_cast<int32_t>(SendMessageA(ListBoxOf(object), LB_GETCOUNT, 0, 0));
}

std::string_view HeaderHostPort::ListObjectItem(ListObjectRef object, int32_t index) {
  std::vector<char>().swap(long_item_);  // the last long item is taken by now
  const HWND list_box = ListBoxOf(object);
  const auto item = static_cast<WPARAM>(index);
  const LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, item, 0);
  char* buffer = short_item_;
  std::size_t bytes = sizeof short_item_;
  if (length >= static_cast<LRESULT>(kItemBufferBytes)) {
    long_item_.assign(static_cast<std::size_t>(length) + 1, '\0');
    buffer = long_item_.data();
    bytes = long_item_.size();
  }
  buffer[0] = '\0';  // an item that cannot be read is taken as the empty text
  SendMessageA(list_box, LB_GETTEXT, item, reinterpret_cast<LPARAM>(buffer));
  buffer[bytes - 1] = '\0';
  return std::string_view(buffer, std::strlen(buffer));
}

bool HeaderHostPort::AddListObjectItem(ListObjectRef object, const std::string& text) {
  const LRESULT result =
      SendMessageA(ListBoxOf(object), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return result >= 0;  // LB_ERR, LB_ERRSPACE: the list box takes no more
}

// --- The host's services

HostWord HeaderHostPort::GetEventParameter(HostWord kind) {
  const HostWord answer = functions().get_event_parameter(header_, kind, 0);
  return kind == kEventParamText ? NonNullText(answer) : answer;
}

HostWord HeaderHostPort::GetFirstExpressionParameter(HostWord kind, HostWord handle) {
  const HostWord answer = functions().get_first_expression_parameter(header_, kind, handle);
  return kind == kExpressionParamText ? NonNullText(answer) : answer;
}

HostWord HeaderHostPort::GetNextExpressionParameter(HostWord kind, HostWord handle) {
  const HostWord answer = functions().get_next_expression_parameter(header_, kind, handle);
  return kind == kExpressionParamText ? NonNullText(answer) : answer;
}

char* HeaderHostPort::GetStringSpace(uint32_t size) {
  const HostWord space = functions().get_string_space(header_, size, 0);
  if (space == 0) throw std::bad_alloc();
  return reinterpret_cast<char*>(space);
}

void HeaderHostPort::MarkResult(uint16_t bits) { header_->flags |= bits; }

HostWord HeaderHostPort::CallHostFunction(void* edit_data, HostWord function, HostWord a,
                                          HostWord b, HostWord c) {
  const HostEditor* editor = header_->run_header->editor;
  if (editor == nullptr || editor->call_host_function == nullptr) return 0;
  return editor->call_host_function(edit_data, function, a, b, c);
}

int32_t HeaderHostPort::LiveObjectCount() { return header_->run_header->live_object_count; }

bool HeaderHostPort::NextLiveObject(uint32_t* slot, HostObjectView* object) {
  const HostRunHeader& run = *header_->run_header;
  if (run.live_object_count <= 0 || run.object_slots == nullptr) return false;
  // The host counts its live objects but not its slots: the walk stops once
  // as many live objects as the host reports lie before the starting slot.
  int32_t before = 0;
  for (uint32_t s = 0; s < *slot; ++s) {
    if (run.object_slots[s].object != nullptr) ++before;
  }
  if (before >= run.live_object_count) return false;
  for (uint32_t s = *slot;; ++s) {
    const HostObjectRecord* record = run.object_slots[s].object;
    if (record == nullptr) continue;
    object->identifier = record->identifier;
    object->name = record->name;
    object->list_box = record->list_box;
    *slot = s + 1;
    return true;
  }
}

bool HeaderHostPort::NamesAreWide() {
  return CallHostFunction(nullptr, kHostFunctionNamesAreWide, 0, 0, 0) != 0;
}

uint32_t HeaderHostPort::NameCodePage() {
  return static_cast<uint32_t>(CallHostFunction(nullptr, kHostFunctionNameCodePage,
                                                header_->run_header->code_page_word, 0, 0));
}

}  // namespace tallyra
