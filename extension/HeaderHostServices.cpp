#include "extension/HeaderHostServices.h"

#include <new>

namespace {

const char kEmptyText[] = "";

// A text answer that is null reads as the empty text.
HostWord NonNullText(HostWord answer) {
  return answer != 0 ? answer : reinterpret_cast<HostWord>(kEmptyText);
}

}  // namespace

HostWord HeaderHostServices::GetEventParameter(HostWord kind) {
  const HostWord answer = functions().getEventParameter(header_, kind, 0);
  return kind == kEventParamText ? NonNullText(answer) : answer;
}

HostWord HeaderHostServices::GetFirstExpressionParameter(HostWord kind, HostWord handle) {
  const HostWord answer = functions().getFirstExpressionParameter(header_, kind, handle);
  return kind == kExpressionParamText ? NonNullText(answer) : answer;
}

HostWord HeaderHostServices::GetNextExpressionParameter(HostWord kind, HostWord handle) {
  const HostWord answer = functions().getNextExpressionParameter(header_, kind, handle);
  return kind == kExpressionParamText ? NonNullText(answer) : answer;
}

char* HeaderHostServices::GetStringSpace(uint32_t size) {
  const HostWord space = functions().getStringSpace(header_, size, 0);
  if (space == 0) throw std::bad_alloc();
  return reinterpret_cast<char*>(space);
}

void HeaderHostServices::MarkResult(uint16_t bits) { header_->flags |= bits; }

void HeaderHostServices::GenerateEvent(HostWord code) {
  functions().generateEvent(header_, code, 0);
}

HostWord HeaderHostServices::CallHostFunction(void* editData, HostWord function, HostWord a,
                                              HostWord b, HostWord c) {
  const HostEditor* editor = header_->runHeader->editor;
  if (editor == nullptr || editor->callHostFunction == nullptr) return 0;
  return editor->callHostFunction(editData, function, a, b, c);
}

int32_t HeaderHostServices::LiveObjectCount() { return header_->runHeader->liveObjectCount; }

bool HeaderHostServices::NextLiveObject(uint32_t* slot, HostObjectView* object) {
  const HostRunHeader& run = *header_->runHeader;
  if (run.liveObjectCount <= 0 || run.objectSlots == nullptr) return false;
  // The host counts its live objects but not its slots: the walk stops once
  // as many live objects as the host reports lie before the starting slot.
  int32_t before = 0;
  for (uint32_t s = 0; s < *slot; ++s) {
    if (run.objectSlots[s].object != nullptr) ++before;
  }
  if (before >= run.liveObjectCount) return false;
  for (uint32_t s = *slot;; ++s) {
    const HostObjectRecord* record = run.objectSlots[s].object;
    if (record == nullptr) continue;
    object->identifier = record->identifier;
    object->name = record->name;
    object->listBox = record->listBox;
    *slot = s + 1;
    return true;
  }
}

bool HeaderHostServices::NamesAreWide() {
  return CallHostFunction(nullptr, kHostFunctionNamesAreWide, 0, 0, 0) != 0;
}

uint32_t HeaderHostServices::NameCodePage() {
  return static_cast<uint32_t>(
      CallHostFunction(nullptr, kHostFunctionNameCodePage, header_->runHeader->codePageWord, 0, 0));
}
