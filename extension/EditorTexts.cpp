#include "extension/EditorTexts.h"

#include <climits>
#include <cstring>

#include "extension/Catalogue.h"
#include "extension/InfoArray.h"

namespace tallyra {

namespace {

// The maximum length as the host means it: a signed 32-bit count.
int32_t MaxLengthOf(HostWord max_length) { return static_cast<int32_t>(max_length); }

// A code as the host passes it: a signed 16-bit word.
int16_t CodeOf(HostWord code) { return static_cast<int16_t>(code); }

}  // namespace

void CopyBounded(const char* text, char* buffer, HostWord max_length) {
  const int32_t max = MaxLengthOf(max_length);
  if (buffer == nullptr || max <= 0) return;
  if (text == nullptr) text = "";
  std::size_t length = std::strlen(text);
  if (length > static_cast<std::size_t>(max) - 1) length = static_cast<std::size_t>(max) - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

void WriteDisplayString(OperationKind kind, HostWord code, char* buffer, HostWord max_length) {
  const OperationEntry* operation = FindOperation(kind, CodeOf(code));
  if (operation == nullptr) return;
  CopyBounded(operation->display, buffer, max_length);
}

void LookUpTitle(OperationKind kind, const TitleSource& source, HostWord code, HostWord param,
                 char* buffer, HostWord max_length) {
  const int16_t wanted = CodeOf(code);
  if (wanted < 0) return;
  const uint16_t* words =
      FindInfoRecord(source.infos, source.records, static_cast<uint16_t>(wanted));
  if (words == nullptr) return;
  const InfoRecord record(words);
  if (param >= record.param_count()) return;
  if (record.title_id(param) == 0) return;
  const OperationEntry* operation = FindOperation(kind, wanted);
  if (operation == nullptr || param >= operation->param_count) return;
  CopyBounded(operation->params[param].title, buffer, max_length);
}

void WriteExpressionParam(HostWord code, HostWord param, char* buffer, HostWord max_length) {
  const OperationEntry* operation = FindOperation(OperationKind::kExpression, CodeOf(code));
  if (operation == nullptr || param >= operation->param_count) return;
  const char* title = operation->params[param].title;
  CopyBounded(title != nullptr ? title : "", buffer, max_length);
}

}  // namespace tallyra
