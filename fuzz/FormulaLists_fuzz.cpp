// Formula texts through every kind of formula-defined list.
//
// Input: the formula text up to the first line feed (all of it when there is
// none), then control bytes: the base list, the second base of the pair list,
// and the indices to read (each a byte choosing from a table of telling
// indices, or 0xFF followed by four bytes of a raw index below 2^20).
//
// Each of the five kinds (formula, mapped, mapped pair, subsequence, filtered)
// gets the formula and is read at every index, twice, under a small search
// budget. Checked: nothing escapes a read; the computed kinds answer Numbers
// (with no text) or None; a second read of an index answers what the first
// did (for a filter: an element once found stays found); a subsequence and a
// filter answer elements of their base; a finite list's concrete form holds
// exactly its elements.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formula/FilteredList.h"
#include "formula/FormulaList.h"
#include "formula/MappedList.h"
#include "formula/MappedPairList.h"
#include "formula/SubsequenceList.h"
#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "lists/ListRef.h"
#include "lists/PrimeList.h"
#include "lists/WorkBudget.h"

namespace tallyra {

namespace {

[[noreturn]] void Fail(const char* what, uint32_t index) {
  std::fprintf(stderr, "formula_lists_fuzz: %s (index %u)\n", what, index);
  std::abort();
}

bool Same(const Element& a, const Element& b) {
  if (a.kind() != b.kind() || a.text() != b.text()) return false;
  if (a.kind() != kElementNumber) return true;
  const double x = a.number(), y = b.number();
  if (std::isnan(x) && std::isnan(y)) return true;
  return std::memcmp(&x, &y, sizeof x) == 0;
}

// The primes, cut off at 2^20 so that no input spends its time growing the
// table (the whole range has tests of its own). One table serves every input.
class FirstPrimes final : public List {
 private:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    static PrimeList* const primes = new PrimeList;
    return index < (1u << 20) ? primes->ElementAt(index, budget) : Element::None();
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }
};

ListRef MakeBase(uint8_t choice) {
  switch (choice % 6) {
    case 0: {
      auto list = std::make_shared<ConcreteList>();
      list->AppendNumber(5);
      list->AppendText("12abc");
      list->AppendElement(Element::None());
      list->AppendNumber(-0.5);
      list->AppendText("");
      list->AppendNumber(1e300);
      list->AppendText(" 3.5e1xyz");
      return list;
    }
    case 1:
      return std::make_shared<FirstPrimes>();
    case 2: {
      auto list = std::make_shared<FormulaList>();
      list->SetFormula("n*n-3");
      return list;
    }
    case 3:
      return std::make_shared<KSubsetList>(3, MakeBase(0));
    case 4: {
      auto list = std::make_shared<FilteredList>(std::make_shared<FirstPrimes>());
      list->SetFormula("mod(x,4)==1");
      return list;
    }
    default:
      return std::make_shared<ConcreteList>();  // empty
  }
}

constexpr uint32_t kIndices[] = {0,     1,          2,          3,          4,        5,   6,
                                 7,     10,         53,         54,         99,       100, 1000,
                                 65535, 4294967295, 2147483647, 2147483648, 203280221};

class Control {
 public:
  Control(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t Index() {
    const uint8_t b = Byte();
    if (b != 0xFF) return kIndices[b % (sizeof kIndices / sizeof kIndices[0])];
    uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) raw = raw << 8 | Byte();
    return raw & ((1u << 20) - 1);
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The work that one read, and one copy, may do here: far less than a host
// call's, so that every input is quick.
constexpr uint64_t kReadBudget = uint64_t{1} << 16;
constexpr uint64_t kCopyBudget = uint64_t{1} << 20;

// Reads one index of a list twice, each time under a budget of its own.
void ReadTwice(List& list, uint32_t index, Element* first, Element* second, bool* cut) {
  {
    WorkBudget budget(kReadBudget);
    *first = list.ElementAt(index, budget);
    *cut = budget.Spent();
  }
  WorkBudget budget(kReadBudget);
  *second = list.ElementAt(index, budget);
  *cut = *cut || budget.Spent();
}

void CheckConcreteForm(List& list) {
  WorkBudget budget(kCopyBudget);
  const int32_t length = list.Length(budget);
  if (length < 0 || length > 64) return;
  std::shared_ptr<ConcreteList> concrete;
  try {
    concrete = list.ToConcrete(budget);
  } catch (const std::length_error&) {
    if (!budget.Spent()) Fail("a short list was too long to copy", 0);
    return;
  }
  if (budget.Spent()) return;
  if (!concrete) Fail("a finite formula list has no concrete form", 0);
  if (concrete->length() != length) Fail("the concrete form has another length", 0);
  for (int32_t i = 0; i < length; ++i) {
    const auto index = static_cast<uint32_t>(i);
    const Element element = list.ElementAt(index, budget);
    if (budget.Spent()) return;
    if (!Same(element, concrete->ElementAt(index, budget)))
      Fail("the concrete form differs", index);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const auto* end = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
  const std::size_t formulaSize = end == nullptr ? size : static_cast<std::size_t>(end - data);
  const std::string_view formula(reinterpret_cast<const char*>(data), formulaSize);
  Control control(data + formulaSize + (end == nullptr ? 0 : 1),
                  size - formulaSize - (end == nullptr ? 0 : 1));

  const ListRef base = MakeBase(control.Byte());
  const ListRef second = MakeBase(control.Byte());
  auto formulaList = std::make_shared<FormulaList>();
  auto mapped = std::make_shared<MappedList>(base);
  auto pair = std::make_shared<MappedPairList>(base, second);
  auto subsequence = std::make_shared<SubsequenceList>(base);
  auto filtered = std::make_shared<FilteredList>(base);
  FormulaDefinedList* const kinds[] = {formulaList.get(), mapped.get(), pair.get(),
                                       subsequence.get(), filtered.get()};
  for (FormulaDefinedList* list : kinds) list->SetFormula(formula);

  std::vector<uint32_t> indices;
  while (!control.empty() && indices.size() < 8) indices.push_back(control.Index());
  if (indices.empty()) indices.push_back(0);

  for (uint32_t index : indices) {
    for (FormulaDefinedList* list : kinds) {
      Element first;
      Element second_read;
      bool cut = false;
      ReadTwice(*list, index, &first, &second_read, &cut);
      const bool computed = list != subsequence.get() && list != filtered.get();
      if (computed) {
        for (const Element* e : {&first, &second_read}) {
          if (e->kind() != kElementNumber && e->kind() != kElementNone) Fail("not a number", index);
          if (!e->text().empty()) Fail("a computed element has a text", index);
        }
      }
      if (list == filtered.get()) {
        if (first.kind() != kElementNone && !Same(first, second_read)) {
          Fail("a filtered element once found changed", index);
        }
        const std::vector<uint32_t>& passing = filtered->PassingPositions();
        if (index < passing.size()) {
          WorkBudget budget(kReadBudget);
          if (!Same(second_read, base->ElementAt(passing[index], budget))) {
            Fail("a filtered element is not the base's", index);
          }
        }
      } else if (!cut && !Same(first, second_read)) {
        Fail("a second read differs", index);
      }
    }
  }
  for (FormulaDefinedList* list : kinds) CheckConcreteForm(*list);
  return 0;
}

}  // namespace tallyra
