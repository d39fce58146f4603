// The editor's exports: the three menus, the codes of menu items, the display
// strings and the parameter titles.
#include "editor/EditorTexts.h"
#include "editor/Menus.h"
#include "host/EntryRoutine.h"
#include "host/Exports.h"
#include "registry/InfoArray.h"

namespace {

void* MenuExport(AceKind kind) {
  try {
    return MenuForHost(kind);
  } catch (...) {
    return nullptr;
  }
}

int16_t CodeFromMenu(AceKind kind, HostWord menuId) {
  const ModuleTables& tables = CurrentModuleTables();
  if (tables.RecordsOf(kind) < 1) return -1;
  return static_cast<int16_t>(FindCodeByMenuId(tables.InfosOf(kind), tables.RecordsOf(kind),
                                               static_cast<uint16_t>(menuId)));
}

void TitleExport(AceKind kind, HostWord code, HostWord param, char* buffer, HostWord maxLength) {
  const ModuleTables& tables = CurrentModuleTables();
  const TitleSource source{tables.InfosOf(kind), tables.RecordsOf(kind), ModuleInstance()};
  LookUpTitle(kind, source, code, param, buffer, maxLength);
}

}  // namespace

extern "C" {

void* TLY_CALL GetConditionMenu(void*, void*, void*) { return MenuExport(AceKind::kCondition); }
void* TLY_CALL GetActionMenu(void*, void*, void*) { return MenuExport(AceKind::kAction); }
void* TLY_CALL GetExpressionMenu(void*, void*, void*) { return MenuExport(AceKind::kExpression); }

int16_t TLY_CALL GetConditionCodeFromMenu(void*, HostWord menuId) {
  return CodeFromMenu(AceKind::kCondition, menuId);
}
int16_t TLY_CALL GetActionCodeFromMenu(void*, HostWord menuId) {
  return CodeFromMenu(AceKind::kAction, menuId);
}
int16_t TLY_CALL GetExpressionCodeFromMenu(void*, HostWord menuId) {
  return CodeFromMenu(AceKind::kExpression, menuId);
}

void TLY_CALL GetConditionString(void*, HostWord code, char* buffer, HostWord maxLength) {
  WriteDisplayString(AceKind::kCondition, code, buffer, maxLength);
}
void TLY_CALL GetActionString(void*, HostWord code, char* buffer, HostWord maxLength) {
  WriteDisplayString(AceKind::kAction, code, buffer, maxLength);
}
void TLY_CALL GetExpressionString(void*, HostWord code, char* buffer, HostWord maxLength) {
  WriteDisplayString(AceKind::kExpression, code, buffer, maxLength);
}

void TLY_CALL GetConditionTitle(void*, HostWord code, HostWord param, char* buffer,
                                HostWord maxLength) {
  TitleExport(AceKind::kCondition, code, param, buffer, maxLength);
}
void TLY_CALL GetActionTitle(void*, HostWord code, HostWord param, char* buffer,
                             HostWord maxLength) {
  TitleExport(AceKind::kAction, code, param, buffer, maxLength);
}
void TLY_CALL GetExpressionTitle(void*, HostWord code, char* buffer, HostWord maxLength) {
  TitleExport(AceKind::kExpression, code, 0, buffer, maxLength);
}
void TLY_CALL GetExpressionParam(void*, HostWord code, HostWord param, char* buffer,
                                 HostWord maxLength) {
  WriteExpressionParam(code, param, buffer, maxLength);
}

}  // extern "C"
