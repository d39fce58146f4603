// The binary interface between the host and the module: the layouts of the
// records that both sides read and write, the host's service tables, the
// routine and export signatures (abi/Operations.h holds what the host reads of
// single operations). The module's boundary layer, the simulated host and the
// test modules are built against it; the module's run-time routines are not.
//
// The positions of the services in the run-time function table, of the flags
// word in the object header and of the object list in the run header are this
// project's own choices. The run-time information record has the host's fixed
// byte offsets on 32-bit Windows (checked below).
#ifndef TALLYRA_ABI_HOSTABI_H_
#define TALLYRA_ABI_HOSTABI_H_

#include <cstddef>
#include <cstdint>

#include "abi/CallingConvention.h"
#include "abi/HostWord.h"

namespace tallyra {

struct HostObjectHeader;

// Parameter kinds asked of GetEventParameter by actions and conditions.
constexpr HostWord kEventParamText = 0xFFFFFFFFu;
constexpr HostWord kEventParamInteger = 0;
constexpr HostWord kEventParamFloat = 2;
// Parameter kinds asked of the expression parameter services.
constexpr HostWord kExpressionParamInteger = 0;
constexpr HostWord kExpressionParamText = 1;

// Result bits of the object header's flags word.
constexpr uint16_t kResultFloat = 0x4000;
constexpr uint16_t kResultText = 0x8000;

// Numbers of the host's general entry (CallHostFunction).
constexpr HostWord kHostFunctionAddProperties = 1;
constexpr HostWord kHostFunctionNamesAreWide = 113;
constexpr HostWord kHostFunctionNameCodePage = 115;

// The identifier of a host List object.
constexpr uint32_t kListObjectIdentifier = 0x4C535430;
// Host object names are compared on at most this many characters.
constexpr uint32_t kHostNameChars = 24;

// The host's run-time services. Each takes the calling object's header first.
struct HostRunFunctions {
  HostWord(TLY_CALL* get_event_parameter)(HostObjectHeader* header, HostWord kind,
                                          HostWord reserved);
  HostWord(TLY_CALL* get_first_expression_parameter)(HostObjectHeader* header, HostWord kind,
                                                     HostWord handle);
  HostWord(TLY_CALL* get_next_expression_parameter)(HostObjectHeader* header, HostWord kind,
                                                    HostWord handle);
  HostWord(TLY_CALL* get_string_space)(HostObjectHeader* header, HostWord size, HostWord reserved);
  void(TLY_CALL* generate_event)(HostObjectHeader* header, HostWord code, HostWord reserved);
};

// The structure that the host passes to editor exports; the run header points
// to the same one at run time.
struct HostEditor {
  HostWord(TLY_CALL* call_host_function)(void* edit_data, HostWord function, HostWord a, HostWord b,
                                         HostWord c);
};

// One live object of the host, as its object slots show it. The name is
// NUL-terminated: 8-bit characters, or 16-bit ones when the host keeps names wide.
struct HostObjectRecord {
  uint32_t identifier;
  const void* name;
  HostWord list_box;  // the window handle of a List object's list box
};

// An object slot: free when its first word is 0.
struct HostObjectSlot {
  HostObjectRecord* object;
};

struct HostRunHeader {
  const HostRunFunctions* functions;
  HostEditor* editor;
  int32_t live_object_count;
  HostObjectSlot* object_slots;
  HostWord code_page_word;  // handed to function 115
};

// Size of the per-instance run-time data that the host allocates.
constexpr std::size_t kRunDataSize = 192;
// The host's object header fills the run-time data up to the module's two
// pointer fields at its end.
constexpr std::size_t kHostObjectHeaderSize = kRunDataSize - 2 * sizeof(void*);

struct HostObjectHeader {
  HostRunHeader* run_header;
  uint16_t flags;
  uint8_t host_private[kHostObjectHeaderSize - sizeof(void*) - sizeof(uint16_t)];
};
static_assert(sizeof(HostObjectHeader) == kHostObjectHeaderSize,
              "the object header fills the run-time data up to the module's fields");

// The run-time information record that GetRunObjectInfos fills.
struct RunObjectInfoRecord {
  HostWord condition_routines;
  HostWord action_routines;
  HostWord expression_routines;
  uint16_t condition_count;
  uint16_t action_count;
  uint16_t expression_count;
  uint16_t edit_data_size;
  uint32_t flags;
  uint8_t priority;
  uint8_t unused;
  uint16_t options;
  char identifier[4];
  uint16_t version;
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(offsetof(RunObjectInfoRecord, condition_routines) == 0, "record layout");
static_assert(offsetof(RunObjectInfoRecord, action_routines) == 4, "record layout");
static_assert(offsetof(RunObjectInfoRecord, expression_routines) == 8, "record layout");
static_assert(offsetof(RunObjectInfoRecord, condition_count) == 12, "record layout");
static_assert(offsetof(RunObjectInfoRecord, action_count) == 14, "record layout");
static_assert(offsetof(RunObjectInfoRecord, expression_count) == 16, "record layout");
static_assert(offsetof(RunObjectInfoRecord, edit_data_size) == 18, "record layout");
static_assert(offsetof(RunObjectInfoRecord, flags) == 20, "record layout");
static_assert(offsetof(RunObjectInfoRecord, priority) == 24, "record layout");
static_assert(offsetof(RunObjectInfoRecord, options) == 26, "record layout");
static_assert(offsetof(RunObjectInfoRecord, identifier) == 28, "record layout");
static_assert(offsetof(RunObjectInfoRecord, version) == 32, "record layout");
#endif

// The registered routines, as the host calls them through the routine tables.
// The first argument is the instance's run-time data, which begins with its header.
using ConditionRoutine = int32_t(TLY_CALL*)(HostObjectHeader* run_data, HostWord, HostWord);
using ActionRoutine = uint16_t(TLY_CALL*)(HostObjectHeader* run_data, HostWord, HostWord);
using ExpressionRoutine = HostWord(TLY_CALL*)(HostObjectHeader* run_data, HostWord handle);

// Window rectangle, as the editor passes it to GetObjectRect.
struct HostRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Every export of the module: X(name, result type, parameter list). The list is
// the module's whole interface; the module defines each, the simulated host
// finds each by name, and the tests check that nothing else is exported.
#define TALLYRA_EXPORTS(X)                                                                         \
  X(GetInfos, HostWord, (HostWord query))                                                          \
  X(GetObjInfos, void,                                                                             \
    (void* editor, void* editData, char* name, char* author, char* copyright, char* comment,       \
     char* web))                                                                                   \
  X(GetRunObjectInfos, uint16_t, (void* first, RunObjectInfoRecord* record))                       \
  X(GetRunObjectDataSize, uint16_t, (void* run_header, void* editData))                            \
  X(CreateRunObject, uint16_t, (HostObjectHeader * runData, void* editData, void* creation))       \
  X(DestroyRunObject, uint16_t, (HostObjectHeader * runData, HostWord fast))                       \
  X(HandleRunObject, uint16_t, (HostObjectHeader * runData))                                       \
  X(PauseRunObject, uint16_t, (HostObjectHeader * runData))                                        \
  X(ContinueRunObject, uint16_t, (HostObjectHeader * runData))                                     \
  X(DisplayRunObject, uint16_t, (HostObjectHeader * runData))                                      \
  X(GetDebugTree, uint16_t*, (HostObjectHeader * runData))                                         \
  X(StartApp, void, (void* editor, void* application))                                             \
  X(EndApp, void, (void* editor, void* application))                                               \
  X(EditDebugItem, void, (HostObjectHeader * runData, HostWord id))                                \
  X(GetRegID, HostWord, ())                                                                        \
  X(GetDependencies, const char**, ())                                                             \
  X(GetProperties, HostWord, (HostEditor * editor, void* editData, HostWord masterItem))           \
  X(GetObjectRect, void, (void* editor, HostRect* rect, void* levelObject, void* editData))        \
  X(IsPropEnabled, HostWord, (void* editor, void* editData, HostWord id))                          \
  X(GetTextFont, HostWord, (void* editor, void* editData, void* font, char* style, HostWord size)) \
  X(EditObject, HostWord, (void* editor, void* objectInfo, void* levelObject, void* editData))     \
  X(SetTextFont, HostWord, (void* editor, void* editData, void* font, const char* style))          \
  X(CreateObject, HostWord, (void* editor, void* levelObject, void* editData))                     \
  X(EditProp, HostWord, (void* editor, void* editData, HostWord id))                               \
  X(GetPropCheck, HostWord, (void* editor, void* editData, HostWord id))                           \
  X(GetPropCreateParam, HostWord, (void* editor, void* editData, HostWord id))                     \
  X(GetPropValue, HostWord, (void* editor, void* editData, HostWord id))                           \
  X(IsTransparent, HostWord,                                                                       \
    (void* editor, void* levelObject, void* editData, HostWord x, HostWord y))                     \
  X(GetTextAlignment, HostWord, (void* editor, void* editData))                                    \
  X(GetTextCaps, HostWord, (void* editor, void* editData))                                         \
  X(GetTextClr, HostWord, (void* editor, void* editData))                                          \
  X(Initialize, HostWord, (void* editor, HostWord quiet))                                          \
  X(UpdateEditStructure, HostWord, (void* editor, void* oldData))                                  \
  X(UsesFile, HostWord, (void* editor, const char* fileName))                                      \
  X(Free, HostWord, (void* editor))                                                                \
  X(GetFilters, HostWord, (void* editor, char* filters, HostWord size))                            \
  X(LoadObject, HostWord, (void* editor, const char* fileName, void* editData, HostWord reserved)) \
  X(PutObject, void, (void* editor, void* levelObject, void* editData, HostWord count))            \
  X(RemoveObject, void, (void* editor, void* levelObject, void* editData, HostWord count))         \
  X(SetPropCheck, void, (void* editor, void* editData, HostWord id, HostWord check))               \
  X(SetPropValue, void, (void* editor, void* editData, HostWord id, void* value))                  \
  X(ReleasePropCreateParam, void, (void* editor, void* editData, HostWord id, HostWord param))     \
  X(ReleaseProperties, void, (void* editor, void* editData, HostWord masterItem))                  \
  X(UpdateFileNames, void, (void* editor, const char* appName, void* editData, void* update))      \
  X(CreateFromFile, void, (void* editor, const char* fileName, void* editData))                    \
  X(DuplicateObject, void, (void* editor, void* objectInfo, void* editData))                       \
  X(EditParameter, void, (void* editor, HostWord code, void* parameter))                           \
  X(InitParameter, void, (void* editor, HostWord code, void* parameter))                           \
  X(GetParameterString, void,                                                                      \
    (void* editor, HostWord code, void* parameter, char* text, HostWord size))                     \
  X(PrepareToWriteObject, void, (void* editor, void* editData, void* adjusted))                    \
  X(SetTextAlignment, void, (void* editor, void* editData, HostWord alignment))                    \
  X(SetTextClr, void, (void* editor, void* editData, HostWord color))                              \
  X(StartFrame, void, (void* editor, HostWord index))                                              \
  X(EndFrame, void, (void* editor, HostWord index))                                                \
  X(UnloadObject, void, (void* editor, void* editData, HostWord reserved))                         \
  X(GetDebugItem, void, (char* buffer, HostObjectHeader* runData, HostWord id))                    \
  X(GetHelpFileName, const char*, ())                                                              \
  X(GetConditionInfos, uint16_t*, (void* editor, HostWord code))                                   \
  X(GetActionInfos, uint16_t*, (void* editor, HostWord code))                                      \
  X(GetExpressionInfos, uint16_t*, (void* editor, HostWord code))                                  \
  X(GetConditionMenu, void*, (void* editor, void* objectInfo, void* editData))                     \
  X(GetActionMenu, void*, (void* editor, void* objectInfo, void* editData))                        \
  X(GetExpressionMenu, void*, (void* editor, void* objectInfo, void* editData))                    \
  X(GetConditionCodeFromMenu, int16_t, (void* editor, HostWord menu_id))                           \
  X(GetActionCodeFromMenu, int16_t, (void* editor, HostWord menu_id))                              \
  X(GetExpressionCodeFromMenu, int16_t, (void* editor, HostWord menu_id))                          \
  X(GetConditionString, void, (void* editor, HostWord code, char* buffer, HostWord max_length))    \
  X(GetActionString, void, (void* editor, HostWord code, char* buffer, HostWord max_length))       \
  X(GetExpressionString, void, (void* editor, HostWord code, char* buffer, HostWord max_length))   \
  X(GetConditionTitle, void,                                                                       \
    (void* editor, HostWord code, HostWord param, char* buffer, HostWord max_length))              \
  X(GetActionTitle, void,                                                                          \
    (void* editor, HostWord code, HostWord param, char* buffer, HostWord max_length))              \
  X(GetExpressionTitle, void, (void* editor, HostWord code, char* buffer, HostWord max_length))    \
  X(GetExpressionParam, void,                                                                      \
    (void* editor, HostWord code, HostWord param, char* buffer, HostWord max_length))

// Pointer types of the exports, named <Export>Fn.
#define TALLYRA_EXPORT_POINTER_TYPE(name, result, params) using name##Fn = result(TLY_CALL*) params;
TALLYRA_EXPORTS(TALLYRA_EXPORT_POINTER_TYPE)
#undef TALLYRA_EXPORT_POINTER_TYPE

}  // namespace tallyra

#endif  // TALLYRA_ABI_HOSTABI_H_
