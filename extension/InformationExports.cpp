// Exports through which the host learns about the object: its general
// information, its descriptive texts, its run-time information record with
// the routine tables, the information records of single operations, and the
// fixed answers about debugging, registration, dependencies and help.
#include <cstring>

#include "extension/Catalogue.h"
#include "extension/Exports.h"
#include "extension/InfoArray.h"

namespace tallyra {

namespace {

const char kObjectName[] = "Tallyra Object II";
const char kAuthor[] = "The Tallyra Object II developers";
const char kCopyright[] = "Copyright (C) 2010 The Tallyra Object II developers";
const char kComment[] = "Define lists and operate upon them. Pre-release.";

constexpr uint16_t kEditDataSize = 20;
constexpr uint8_t kPriority = 100;
constexpr uint16_t kVersion = 1;

// The debug tree: no item, only the end marker.
uint16_t debug_tree[] = {0xFFFF};

void CopyText(char* buffer, const char* text) {
  if (buffer != nullptr) std::memcpy(buffer, text, std::strlen(text) + 1);
}

uint16_t* InfoRecordOf(OperationKind kind, HostWord code) {
  const InfoArrayView infos = InfoArrayOf(kind);
  const uint16_t* record = FindInfoRecord(infos.words, infos.records, static_cast<uint16_t>(code));
  // The host reads the record from its code word on; it never writes to it.
  return record != nullptr ? const_cast<uint16_t*>(record + InfoRecord::kCodeWord) : nullptr;
}

}  // namespace

extern "C" {

HostWord TLY_CALL GetInfos(HostWord query) {
  switch (query) {
    case 0:
      return 768;
    case 2:
      return 256;
    case 6:
      return 2;
    case 7:
      return 248;
    default:
      return 0;
  }
}

void TLY_CALL GetObjInfos(void* /*editor*/, void* /*editData*/, char* name, char* author,
                          char* copyright, char* comment, char* web) {
  CopyText(name, kObjectName);
  CopyText(author, kAuthor);
  CopyText(copyright, kCopyright);
  CopyText(comment, kComment);
  CopyText(web, "");
}

uint16_t TLY_CALL GetRunObjectInfos(void* /*first*/, RunObjectInfoRecord* record) {
  if (record == nullptr) return 1;
  const RoutineTables& tables = RoutineTablesOfModule();
  record->condition_routines = reinterpret_cast<HostWord>(tables.conditions);
  record->action_routines = reinterpret_cast<HostWord>(tables.actions);
  record->expression_routines = reinterpret_cast<HostWord>(tables.expressions);
  record->condition_count = static_cast<uint16_t>(CatalogueOf(OperationKind::kCondition).size());
  record->action_count = static_cast<uint16_t>(CatalogueOf(OperationKind::kAction).size());
  record->expression_count = static_cast<uint16_t>(CatalogueOf(OperationKind::kExpression).size());
  record->edit_data_size = kEditDataSize;
  record->flags = 0;
  record->priority = kPriority;
  record->options = 0;
  std::memcpy(record->identifier, "TLYR", 4);
  record->version = kVersion;
  return 1;
}

uint16_t TLY_CALL GetRunObjectDataSize(void* /*run_header*/, void* /*editData*/) {
  return static_cast<uint16_t>(kRunDataSize);
}

uint16_t* TLY_CALL GetDebugTree(HostObjectHeader* /*runData*/) { return debug_tree; }

HostWord TLY_CALL GetRegID() { return static_cast<HostWord>(-1); }

const char** TLY_CALL GetDependencies() { return nullptr; }

const char* TLY_CALL GetHelpFileName() { return ""; }

uint16_t* TLY_CALL GetConditionInfos(void* /*editor*/, HostWord code) {
  return InfoRecordOf(OperationKind::kCondition, code);
}

uint16_t* TLY_CALL GetActionInfos(void* /*editor*/, HostWord code) {
  return InfoRecordOf(OperationKind::kAction, code);
}

uint16_t* TLY_CALL GetExpressionInfos(void* /*editor*/, HostWord code) {
  return InfoRecordOf(OperationKind::kExpression, code);
}

}  // extern "C"

}  // namespace tallyra
