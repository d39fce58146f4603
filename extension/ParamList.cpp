#include "extension/ParamList.h"

#include <cstdarg>

ParamList BuildParamList(int count, ...) {
  ParamList list;
  if (count <= 0) return list;
  list.types.reserve(static_cast<std::size_t>(count));
  list.titles.reserve(static_cast<std::size_t>(count));
  va_list args;
  va_start(args, count);
  for (int i = 0; i < count; ++i) {
    const unsigned int type = va_arg(args, unsigned int);
    const char* title = va_arg(args, const char*);
    list.types.push_back(static_cast<uint16_t>(type & 0xFFFFu));
    list.titles.push_back(title);
  }
  va_end(args);
  return list;
}
