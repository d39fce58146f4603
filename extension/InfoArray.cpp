#include "extension/InfoArray.h"

std::vector<uint16_t> BuildInfoArray(const AceRegistry& registry, OperationKind kind) {
  std::vector<uint16_t> words;
  for (std::size_t code = 0; code < registry.size(); ++code) {
    const AceDescriptor& descriptor = *registry[code];
    const std::size_t n = descriptor.ParamCount();
    words.push_back(MenuIdOf(kind, code));
    words.push_back(MenuIdOf(kind, code));
    words.push_back(static_cast<uint16_t>(code));
    words.push_back(static_cast<uint16_t>(descriptor.flags & 0xFFFFu));
    words.push_back(static_cast<uint16_t>(n));
    words.insert(words.end(), descriptor.paramTypes.begin(), descriptor.paramTypes.end());
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

int FindCodeByMenuId(const uint16_t* array, std::size_t records, uint16_t menuId) {
  if (array == nullptr) return -1;
  InfoRecord record(array);
  for (std::size_t visited = 0; visited < records; ++visited, record = record.next()) {
    if (record.menuId() == menuId) return record.code();
  }
  return -1;
}
