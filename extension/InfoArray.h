// Information arrays: for each kind, one contiguous block of 16-bit words
// holding one record per registered operation (abi/Operations.h gives the
// record's layout and the menu-id rule), in code order, with nothing after the
// last.
#ifndef TALLYRA_EXTENSION_INFOARRAY_H_
#define TALLYRA_EXTENSION_INFOARRAY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "abi/Operations.h"
#include "extension/Catalogue.h"

namespace tallyra {

// The words of the kind's information array, built from its catalogue rows.
std::vector<uint16_t> BuildInfoArray(OperationRows rows, OperationKind kind);

// Walks at most `records` records of `array` from the first and answers the
// first whose code word equals `code`, or null when none does (or when array
// is null). The walk never passes the last record.
const uint16_t* FindInfoRecord(const uint16_t* array, std::size_t records, uint16_t code);

// The same walk by menu id: the code of the first record that carries the
// menu id, or -1.
int FindCodeByMenuId(const uint16_t* array, std::size_t records, uint16_t menu_id);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_INFOARRAY_H_
