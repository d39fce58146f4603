// A module that breaks the host's rules in known ways, for the tests of the
// simulated host's checks. Its operations:
//   condition 0 (22, 22): fetches one parameter and answers 2
//   condition 1 ():       holds
//   action 0 (45, 22):    asks for the number first, as an integer, then for
//                         the text, and answers 5
//   action 1 ():          raises condition 1, then condition 7, which does not exist
//   action 2 ():          lets an exception out
//   expression 0 (3, 1):  starts with GetNextExpressionParameter, passes the
//                         handle unwidened, and marks its result both ways
//   expression 1 ():      answers a text without a terminator in its string space
// Its display strings run past the maximum length.
#include <cstring>
#include <stdexcept>

#include "abi/HostAbi.h"

namespace tallyra {

namespace {

const HostRunFunctions& Functions(HostObjectHeader* header) {
  return *header->run_header->functions;
}

int32_t TLY_CALL FetchesOneOfTwo(HostObjectHeader* header, HostWord, HostWord) {
  Functions(header).get_event_parameter(header, kEventParamInteger, 0);
  return 2;
}
int32_t TLY_CALL Holds(HostObjectHeader*, HostWord, HostWord) { return 1; }

uint16_t TLY_CALL FetchesOutOfOrder(HostObjectHeader* header, HostWord, HostWord) {
  Functions(header).get_event_parameter(header, kEventParamInteger, 0);
  Functions(header).get_event_parameter(header, kEventParamText, 0);
  return 5;
}
uint16_t TLY_CALL Raises(HostObjectHeader* header, HostWord, HostWord) {
  Functions(header).generate_event(header, 1, 0);
  Functions(header).generate_event(header, 7, 0);
  return 0;
}
uint16_t TLY_CALL Throws(HostObjectHeader*, HostWord, HostWord) {
  throw std::runtime_error("out of the module");
}

HostWord TLY_CALL BadExpression(HostObjectHeader* header, HostWord handle) {
  Functions(header).get_next_expression_parameter(header, kExpressionParamText, handle);
  Functions(header).get_next_expression_parameter(header, kExpressionParamInteger, handle);
  header->flags |= kResultFloat | kResultText;
  return reinterpret_cast<HostWord>("both");
}
HostWord TLY_CALL UnterminatedText(HostObjectHeader* header, HostWord) {
  char* space = reinterpret_cast<char*>(Functions(header).get_string_space(header, 4, 0));
  std::memcpy(space, "abcd", 4);
  header->flags |= kResultText;
  return reinterpret_cast<HostWord>(space);
}

ConditionRoutine conditions[] = {&FetchesOneOfTwo, &Holds, nullptr};
ActionRoutine actions[] = {&FetchesOutOfOrder, &Raises, &Throws, nullptr};
ExpressionRoutine expressions[] = {&BadExpression, &UnterminatedText, nullptr};

uint16_t condition_infos[] = {26000, 26000, 0, 0, 2, 22, 22, 26001, 26002, 26010, 26010, 1, 0, 0};
uint16_t action_infos[] = {25000, 25000, 0, 0, 2,     45,    22, 25001, 25002, 25010,
                           25010, 1,     0, 0, 25020, 25020, 2,  0,     0};
uint16_t expression_infos[] = {27000, 27000, 0, 0, 2, 3, 1, 0, 0, 27010, 27010, 1, 1, 0};

uint16_t* Record(uint16_t* infos, std::size_t count, HostWord code) {
  uint16_t* record = infos;
  for (std::size_t i = 0; i < count; ++i, record += 5 + 2 * record[4]) {
    if (record[2] == code) return record + 2;
  }
  return nullptr;
}

void WriteLong(char* buffer) { std::strcpy(buffer, "a display string far longer than asked for"); }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) uint16_t TLY_CALL
GetRunObjectInfos(void*, RunObjectInfoRecord* record) {
  record->condition_routines = reinterpret_cast<HostWord>(conditions);
  record->action_routines = reinterpret_cast<HostWord>(actions);
  record->expression_routines = reinterpret_cast<HostWord>(expressions);
  record->condition_count = 2;
  record->action_count = 3;
  record->expression_count = 2;
  record->edit_data_size = 20;
  std::memcpy(record->identifier, "FALT", 4);
  return 1;
}

__attribute__((visibility("default"))) uint16_t TLY_CALL GetRunObjectDataSize(void*, void*) {
  return static_cast<uint16_t>(kRunDataSize);
}

__attribute__((visibility("default"))) uint16_t* TLY_CALL GetConditionInfos(void*, HostWord code) {
  return Record(condition_infos, 2, code);
}
__attribute__((visibility("default"))) uint16_t* TLY_CALL GetActionInfos(void*, HostWord code) {
  return Record(action_infos, 3, code);
}
__attribute__((visibility("default"))) uint16_t* TLY_CALL GetExpressionInfos(void*, HostWord code) {
  return Record(expression_infos, 2, code);
}

__attribute__((visibility("default"))) void TLY_CALL GetActionString(void*, HostWord, char* buffer,
                                                                     HostWord) {
  WriteLong(buffer);
}

}  // extern "C"

}  // namespace tallyra
