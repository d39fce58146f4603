#include "simhost/ServiceEntries.h"

#include <cstring>

#include "simhost/SimulatedHost.h"

namespace tallyra::simhost {

namespace {

SimulatedHost* active_host = nullptr;

}  // namespace

ActiveHost::ActiveHost(SimulatedHost& host) : previous_(active_host) { active_host = &host; }

ActiveHost::~ActiveHost() { active_host = previous_; }

void ServiceEntries::Install(HostRunFunctions& functions, HostEditor& editor) {
  editor.call_host_function = &CallHostFunction;
  functions.get_event_parameter = &GetEventParameter;
  functions.get_first_expression_parameter = &GetFirstExpressionParameter;
  functions.get_next_expression_parameter = &GetNextExpressionParameter;
  functions.get_string_space = &GetStringSpace;
  functions.generate_event = &GenerateEvent;
}

SimulatedObject* ServiceEntries::ObjectOf(HostObjectHeader* header) {
  if (header == nullptr || active_host == nullptr) return nullptr;
  SimulatedObject* object;
  std::memcpy(&object, header->host_private, sizeof object);
  for (const auto& owned : active_host->objects_) {
    if (owned.get() == object) return object;
  }
  active_host->Violation("a host service was called with an object header that is not the host's");
  return nullptr;
}

template <typename Service>
HostWord ServiceEntries::ForObject(HostObjectHeader* header, Service service) noexcept {
  try {
    SimulatedObject* object = ObjectOf(header);
    return object != nullptr ? service(*object) : 0;
  } catch (...) {
    return 0;
  }
}

HostWord TLY_CALL ServiceEntries::GetEventParameter(HostObjectHeader* header, HostWord kind,
                                                    HostWord) {
  return ForObject(header, [=](SimulatedObject& object) { return object.EventParameter(kind); });
}

HostWord TLY_CALL ServiceEntries::GetFirstExpressionParameter(HostObjectHeader* header,
                                                              HostWord kind, HostWord handle) {
  return ForObject(header, [=](SimulatedObject& object) {
    return object.ExpressionParameter(true, kind, handle);
  });
}

HostWord TLY_CALL ServiceEntries::GetNextExpressionParameter(HostObjectHeader* header,
                                                             HostWord kind, HostWord handle) {
  return ForObject(header, [=](SimulatedObject& object) {
    return object.ExpressionParameter(false, kind, handle);
  });
}

HostWord TLY_CALL ServiceEntries::GetStringSpace(HostObjectHeader* header, HostWord size,
                                                 HostWord) {
  return ForObject(header, [=](SimulatedObject& object) { return object.StringSpace(size); });
}

void TLY_CALL ServiceEntries::GenerateEvent(HostObjectHeader* header, HostWord code, HostWord) {
  ForObject(header, [=](SimulatedObject& object) {
    object.Raise(code);
    return HostWord{0};
  });
}

HostWord TLY_CALL ServiceEntries::CallHostFunction(void* edit_data, HostWord function, HostWord a,
                                                   HostWord b, HostWord c) {
  try {
    return active_host != nullptr ? active_host->CallHostFunction(edit_data, function, a, b, c) : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace tallyra::simhost
