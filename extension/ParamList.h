// ParamList: the parameters of one registered operation, in declaration order,
// as two parallel sequences of equal length: the host type codes and the titles.
// Titles are constant NUL-terminated 8-bit texts; they are never copied.
#ifndef TALLYRA_EXTENSION_PARAMLIST_H_
#define TALLYRA_EXTENSION_PARAMLIST_H_

#include <cstdint>
#include <vector>

// One parameter: its type code and its title.
struct ParamSpec {
  uint16_t type;
  const char* title;
};

struct ParamList {
  std::vector<uint16_t> types;
  std::vector<const char*> titles;  // same length as types

  std::size_t size() const { return types.size(); }
  ParamSpec at(std::size_t i) const { return ParamSpec{types[i], titles[i]}; }
};

// Builds a ParamList from `count` pairs (type, title), in order. Each type is
// passed as an int-sized word (a plain literal such as 45); its low 16 bits are
// stored. Each title is a const char* that must outlive the list's users.
ParamList BuildParamList(int count, ...);

#endif  // TALLYRA_EXTENSION_PARAMLIST_H_
