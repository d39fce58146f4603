// The editor's exports about the object itself: its properties, its
// rectangle, and the many hooks that this object leaves as the host's
// defaults, each with its fixed answer.
#include "extension/Exports.h"

namespace tallyra {

namespace {

// The property table: only its end marker, so the host adds no property.
HostWord property_table[8] = {};

}  // namespace

extern "C" {

HostWord TLY_CALL GetProperties(HostEditor* editor, void* edit_data, HostWord /*masterItem*/) {
  if (editor != nullptr && editor->call_host_function != nullptr) {
    editor->call_host_function(edit_data, kHostFunctionAddProperties,
                               reinterpret_cast<HostWord>(property_table), 1, 1);
  }
  return 1;
}

void TLY_CALL GetObjectRect(void* /*editor*/, HostRect* rect, void* /*levelObject*/,
                            void* /*editData*/) {
  if (rect == nullptr) return;
  rect->right = rect->left + 32;
  rect->bottom = rect->top + 32;
}

// Do nothing; answer 1.
HostWord TLY_CALL IsPropEnabled(void*, void*, HostWord) { return 1; }
HostWord TLY_CALL GetTextFont(void*, void*, void*, char*, HostWord) { return 1; }
HostWord TLY_CALL EditObject(void*, void*, void*, void*) { return 1; }
HostWord TLY_CALL SetTextFont(void*, void*, void*, const char*) { return 1; }

// Do nothing; answer 0.
HostWord TLY_CALL CreateObject(void*, void*, void*) { return 0; }
HostWord TLY_CALL EditProp(void*, void*, HostWord) { return 0; }
HostWord TLY_CALL GetPropCheck(void*, void*, HostWord) { return 0; }
HostWord TLY_CALL GetPropCreateParam(void*, void*, HostWord) { return 0; }
HostWord TLY_CALL GetPropValue(void*, void*, HostWord) { return 0; }
HostWord TLY_CALL IsTransparent(void*, void*, void*, HostWord, HostWord) { return 0; }
HostWord TLY_CALL GetTextAlignment(void*, void*) { return 0; }
HostWord TLY_CALL GetTextCaps(void*, void*) { return 0; }
HostWord TLY_CALL GetTextClr(void*, void*) { return 0; }
HostWord TLY_CALL Initialize(void*, HostWord) { return 0; }
HostWord TLY_CALL UpdateEditStructure(void*, void*) { return 0; }
HostWord TLY_CALL UsesFile(void*, const char*) { return 0; }
HostWord TLY_CALL Free(void*) { return 0; }
HostWord TLY_CALL GetFilters(void*, char*, HostWord) { return 0; }
HostWord TLY_CALL LoadObject(void*, const char*, void*, HostWord) { return 0; }

// Do nothing.
void TLY_CALL StartApp(void*, void*) {}
void TLY_CALL EndApp(void*, void*) {}
void TLY_CALL EditDebugItem(HostObjectHeader*, HostWord) {}
void TLY_CALL PutObject(void*, void*, void*, HostWord) {}
void TLY_CALL RemoveObject(void*, void*, void*, HostWord) {}
void TLY_CALL SetPropCheck(void*, void*, HostWord, HostWord) {}
void TLY_CALL SetPropValue(void*, void*, HostWord, void*) {}
void TLY_CALL ReleasePropCreateParam(void*, void*, HostWord, HostWord) {}
void TLY_CALL ReleaseProperties(void*, void*, HostWord) {}
void TLY_CALL UpdateFileNames(void*, const char*, void*, void*) {}
void TLY_CALL CreateFromFile(void*, const char*, void*) {}
void TLY_CALL DuplicateObject(void*, void*, void*) {}
void TLY_CALL EditParameter(void*, HostWord, void*) {}
void TLY_CALL InitParameter(void*, HostWord, void*) {}
void TLY_CALL GetParameterString(void*, HostWord, void*, char*, HostWord) {}
void TLY_CALL PrepareToWriteObject(void*, void*, void*) {}
void TLY_CALL SetTextAlignment(void*, void*, HostWord) {}
void TLY_CALL SetTextClr(void*, void*, HostWord) {}
void TLY_CALL StartFrame(void*, HostWord) {}
void TLY_CALL EndFrame(void*, HostWord) {}
void TLY_CALL UnloadObject(void*, void*, HostWord) {}
void TLY_CALL GetDebugItem(char*, HostObjectHeader*, HostWord) {}

}  // extern "C"

}  // namespace tallyra
