// DataFormat: a list's elements as the text of a file and back, for save and
// load: one element a line, or RFC 4180 CSV with an index and a value column
// (a file whose name ends in .csv). Pure functions on texts.
#ifndef TALLYRA_TALLYRA_DATAFORMAT_H_
#define TALLYRA_TALLYRA_DATAFORMAT_H_

#include <cstddef>
#include <string>
#include <vector>

namespace tallyra::script {

// Whether a file is CSV: its name ends in .csv, in any case.
bool IsCsvPath(const std::string& path);

// The CSV header line, and one element's record (without a line ending):
// the value in quotes, its quotes doubled, when it holds a comma, a quote, a
// line break or a blank at either end.
constexpr const char* kCsvHeader = "index,value";
std::string CsvRecord(size_t index, const std::string& value);

struct DataValue {
  std::string text;
  bool quoted = false;  // a CSV value in quotes: a text, whatever it looks like
};

// The values of a file's text: each line (a carriage return before its line
// feed dropped), or, for CSV, the value column of each record after an
// "index,value" header, or every field of every record without one. At most
// max values: *cut tells whether more followed. False with *error saying
// where when a CSV quote is not closed.
bool ReadValues(const std::string& text, bool csv, size_t max, std::vector<DataValue>* values,
                bool* cut, std::string* error);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_DATAFORMAT_H_
