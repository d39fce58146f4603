// The editor's exports: the three menus, the codes of menu items, the display
// strings and the parameter titles.
#include <vector>

#include "editor/Menus.h"
#include "extension/Catalogue.h"
#include "extension/EditorTexts.h"
#include "extension/EntryRoutine.h"
#include "extension/Exports.h"
#include "extension/InfoArray.h"

namespace tallyra {

namespace {

void* MenuExport(OperationKind kind) {
  try {
    std::vector<MenuItem> items;
    const OperationRows rows = CatalogueOf(kind);
    for (std::size_t code = 0; code < rows.size(); ++code) {
      items.push_back(MenuItem{rows[code].menu, MenuIdOf(kind, code)});
    }
    return MenuForHost(items);
  } catch (...) {
    return nullptr;
  }
}

int16_t CodeFromMenu(OperationKind kind, HostWord menu_id) {
  const InfoArrayView infos = InfoArrayOf(kind);
  if (infos.records < 1) return -1;
  return static_cast<int16_t>(
      FindCodeByMenuId(infos.words, infos.records, static_cast<uint16_t>(menu_id)));
}

void TitleExport(OperationKind kind, HostWord code, HostWord param, char* buffer,
                 HostWord max_length) {
  const InfoArrayView infos = InfoArrayOf(kind);
  const TitleSource source{infos.words, infos.records};
  LookUpTitle(kind, source, code, param, buffer, max_length);
}

}  // namespace

extern "C" {

void* TLY_CALL GetConditionMenu(void*, void*, void*) {
  return MenuExport(OperationKind::kCondition);
}
void* TLY_CALL GetActionMenu(void*, void*, void*) { return MenuExport(OperationKind::kAction); }
void* TLY_CALL GetExpressionMenu(void*, void*, void*) {
  return MenuExport(OperationKind::kExpression);
}

int16_t TLY_CALL GetConditionCodeFromMenu(void*, HostWord menu_id) {
  return CodeFromMenu(OperationKind::kCondition, menu_id);
}
int16_t TLY_CALL GetActionCodeFromMenu(void*, HostWord menu_id) {
  return CodeFromMenu(OperationKind::kAction, menu_id);
}
int16_t TLY_CALL GetExpressionCodeFromMenu(void*, HostWord menu_id) {
  return CodeFromMenu(OperationKind::kExpression, menu_id);
}

void TLY_CALL GetConditionString(void*, HostWord code, char* buffer, HostWord max_length) {
  WriteDisplayString(OperationKind::kCondition, code, buffer, max_length);
}
void TLY_CALL GetActionString(void*, HostWord code, char* buffer, HostWord max_length) {
  WriteDisplayString(OperationKind::kAction, code, buffer, max_length);
}
void TLY_CALL GetExpressionString(void*, HostWord code, char* buffer, HostWord max_length) {
  WriteDisplayString(OperationKind::kExpression, code, buffer, max_length);
}

void TLY_CALL GetConditionTitle(void*, HostWord code, HostWord param, char* buffer,
                                HostWord max_length) {
  TitleExport(OperationKind::kCondition, code, param, buffer, max_length);
}
void TLY_CALL GetActionTitle(void*, HostWord code, HostWord param, char* buffer,
                             HostWord max_length) {
  TitleExport(OperationKind::kAction, code, param, buffer, max_length);
}
void TLY_CALL GetExpressionTitle(void*, HostWord code, char* buffer, HostWord max_length) {
  TitleExport(OperationKind::kExpression, code, 0, buffer, max_length);
}
void TLY_CALL GetExpressionParam(void*, HostWord code, HostWord param, char* buffer,
                                 HostWord max_length) {
  WriteExpressionParam(code, param, buffer, max_length);
}

}  // extern "C"

}  // namespace tallyra
