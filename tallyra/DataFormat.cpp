#include "tallyra/DataFormat.h"

#include <utility>

#include "tallyra/ScriptChars.h"

namespace tallyra::script {

bool IsCsvPath(const std::string& path) {
  return path.size() >= 4 && SameText(path.substr(path.size() - 4), ".csv");
}

std::string CsvRecord(size_t index, const std::string& value) {
  const bool quote = value.find_first_of(",\"\r\n") != std::string::npos ||
                     (!value.empty() && (IsSpace(value.front()) || IsSpace(value.back())));
  std::string field = value;
  if (quote) {
    field = "\"";
    for (char c : value) field += c == '"' ? std::string("\"\"") : std::string(1, c);
    field += '"';
  }
  return std::to_string(index) + "," + field;
}

namespace {

// The records of a CSV text, each a list of fields.
bool ReadCsv(const std::string& text, size_t max_fields,
             std::vector<std::vector<DataValue>>* records, std::string* error) {
  size_t i = 0;
  size_t fields = 0;
  while (i < text.size() && fields <= max_fields) {
    std::vector<DataValue> record;
    for (;;) {
      DataValue field;
      if (i < text.size() && text[i] == '"') {
        field.quoted = true;
        const size_t open = i++;
        for (;;) {
          if (i >= text.size()) {
            *error = "the quote that opens a value at byte " + std::to_string(open + 1) +
                     " (record " + std::to_string(records->size() + 1) + ") is not closed";
            return false;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field.text += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          field.text += text[i++];
        }
        // Anything between the closing quote and the next comma is kept.
        while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          field.text += text[i++];
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
          field.text += text[i++];
        }
      }
      record.push_back(std::move(field));
      ++fields;
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    records->push_back(std::move(record));
  }
  return true;
}

}  // namespace

bool ReadValues(const std::string& text, bool csv, size_t max, std::vector<DataValue>* values,
                bool* cut, std::string* error) {
  values->clear();
  *cut = false;
  auto add = [&](DataValue v) {
    if (values->size() >= max) {
      *cut = true;
      return false;
    }
    values->push_back(std::move(v));
    return true;
  };
  if (!csv) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!add({std::move(line), false})) break;
      start = end + 1;
    }
    return true;
  }
  std::vector<std::vector<DataValue>> records;
  if (!ReadCsv(text, 2 * max + 2, &records, error)) return false;
  size_t first = 0;
  const bool header = !records.empty() && records[0].size() == 2 &&
                      SameText(records[0][0].text, "index") &&
                      SameText(records[0][1].text, "value");
  if (header) first = 1;
  for (size_t r = first; r < records.size(); ++r) {
    if (header) {
      if (!add(records[r].size() >= 2 ? records[r][1] : DataValue{})) break;
      continue;
    }
    for (DataValue& v : records[r]) {
      if (!add(std::move(v))) return true;
    }
  }
  return true;
}

}  // namespace tallyra::script
