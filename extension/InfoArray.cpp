#include "extension/InfoArray.h"

namespace tallyra {

std::vector<uint16_t> BuildInfoArray(OperationRows rows, OperationKind kind) {
  std::vector<uint16_t> words;
  for (std::size_t code = 0; code < rows.size(); ++code) {
    const OperationEntry& operation = rows[code];
    const std::size_t n = operation.paramCount;
    words.push_back(MenuIdOf(kind, code));
    words.push_back(MenuIdOf(kind, code));
    words.push_back(static_cast<uint16_t>(code));
    words.push_back(operation.flags);
    words.push_back(static_cast<uint16_t>(n));
    for (std::size_t j = 0; j < n; ++j) words.push_back(operation.params[j].type);
    for (std::size_t j = 0; j < n; ++j) words.push_back(TitleIdOf(kind, code, j));
  }
  return words;
}

const uint16_t* FindInfoRecord(const uint16_t* array, std::size_t records, uint16_t code) {
  if (array == nullptr) return nullptr;
  InfoRecord record(array);
  for (std::size_t visited = 0; visited < records; ++visited, record = record.next()) {
    if (record.code() == code) return record.words();
  }
  return nullptr;
}

int FindCodeByMenuId(const uint16_t* array, std::size_t records, uint16_t menu_id) {
  if (array == nullptr) return -1;
  InfoRecord record(array);
  for (std::size_t visited = 0; visited < records; ++visited, record = record.next()) {
    if (record.menuId() == menu_id) return record.code();
  }
  return -1;
}

}  // namespace tallyra
