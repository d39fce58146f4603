#include "extension/InfoArray.h"

namespace tallyra {

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
    if (record.menu_id() == menu_id) return record.code();
  }
  return -1;
}

}  // namespace tallyra
