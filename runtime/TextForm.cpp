#include "runtime/TextForm.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "lists/ConcreteList.h"
#include "runtime/NumberText.h"

namespace tallyra {

namespace {

// The text that SetText reserves room for at first: its elements mostly take
// a few bytes each. A guess only: the text grows past it as it needs.
std::size_t InitialTextRoom(uint32_t count) {
  constexpr std::size_t k_bytes_per_element = 8;
  return std::min<std::size_t>(kMaxSetTextBytes, std::size_t{count} * k_bytes_per_element) + 8;
}

// A stored list's share of the call's budget, charged to the budget once at
// the end (Settle): each charge is taken or refused as it would be if made
// to the budget itself, so that the budget ends as charging element by
// element leaves it. A run of elements whose cost is bounded beforehand is
// paid for at once (left(), then Add()).
class Tab {
 public:
  explicit Tab(WorkBudget& budget)
      : budget_(budget), allowance_(budget.Spent() ? 0 : budget.remaining()) {}
  Tab(const Tab&) = delete;
  Tab& operator=(const Tab&) = delete;

  bool Charge(uint64_t cost) {
    if (refused_ || cost > allowance_ - charged_) {
      refused_ = true;
      return false;
    }
    charged_ += cost;
    return true;
  }
  uint64_t left() const { return refused_ ? 0 : allowance_ - charged_; }
  void Add(uint64_t cost) { charged_ += cost; }  // at most left()
  bool refused() const { return refused_; }

  void Settle() {
    budget_.Charge(charged_);
    if (refused_) budget_.Charge(UINT64_MAX);  // refused: the budget is spent
  }

 private:
  WorkBudget& budget_;
  const uint64_t allowance_;
  uint64_t charged_ = 0;  // at most allowance_
  bool refused_ = false;
};

// The block in which ElementTextWriter gathers its pieces.
constexpr std::size_t kBlockBytes = 4096;

// Writes the texts of elements one after another, ", " between two, at the
// end of a text, as long as the text stays within kMaxSetTextBytes. The
// pieces are gathered in a block and added to the text a full block at a
// time, which costs far less than adding each piece; Flush() adds what is
// gathered. The block is the caller's, apart from the writer, so that the
// compiler need not read the writer's state again after each byte written.
class ElementTextWriter {
 public:
  ElementTextWriter(std::string* text, char* block)
      : text_(text), block_(block), room_(kMaxSetTextBytes - text->size()) {}
  ElementTextWriter(const ElementTextWriter&) = delete;
  ElementTextWriter& operator=(const ElementTextWriter&) = delete;

  // Writes element's text, after ", " unless it is the first, and charges
  // the writing to `payer` (a WorkBudget or a Tab) before it is added. False,
  // having written nothing, when that would take the text past
  // kMaxSetTextBytes (Full() then tells), or when the payer refuses.
  template <class Payer>
  bool Write(const Element& element, Payer& payer) {
    if (element.kind() == kElementNumber) {
      if (kBlockBytes - used_ < 2 + kNumberTextRoom) Flush();
      char* const piece = block_ + used_;
      std::memcpy(piece, ", ", 2);  // kept only after the first element
      const std::size_t digits = WriteNumberText(element.number(), piece + separator_);
      if (separator_ + digits > room_ - used_) return Refuse();
      if (!payer.Charge(work_cost::kNumberText + work_cost::NewTextBytes(digits))) return false;
      used_ += separator_ + digits;
    } else {
      const std::size_t size = element.kind() == kElementText ? element.text().size() : 0;
      if (separator_ + size > room_ - used_) return Refuse();
      if (!payer.Charge(work_cost::kElementText + work_cost::NewTextBytes(size))) return false;
      Append(", ", separator_);
      Append(element.text().data(), size);  // None: the empty text
    }
    separator_ = 2;
    return true;
  }

  // Writes the texts of the stored numbers of list from index `from` on, up
  // to `to` (excluded), as long as they are numbers and the text stays within
  // kMaxSetTextBytes; answers the index of the first element not written
  // (Full() tells whether the bound stopped it), and adds the digits written
  // to `digits`. Charges nothing: the caller pays. A run of numbers, which
  // lists mostly are, is written here a block at a time, with its state held
  // close at hand.
  uint32_t WriteNumbers(const ConcreteList& list, uint32_t from, uint32_t to, uint64_t& digits) {
    uint32_t i = from;
    while (i < to) {
      if (kBlockBytes - used_ < kMostNumberBytes) Flush();
      const auto fits = static_cast<uint32_t>((kBlockBytes - used_) / kMostNumberBytes);
      const uint32_t end = to - i > fits ? i + fits : to;
      // While the text may take a whole block more, what fits in the block
      // cannot take it past the bound.
      const uint32_t next = room_ >= kBlockBytes ? WriteNumbersInBlock<false>(list, i, end, digits)
                                                 : WriteNumbersInBlock<true>(list, i, end, digits);
      if (next < end) return next;  // not a number, or the text is full
      i = next;
    }
    return i;
  }

  // Whether an element was refused because the text would have passed kMaxSetTextBytes.
  bool Full() const { return full_; }

  void Flush() {
    text_->append(block_, used_);
    room_ -= used_;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kMaxPiece = 256;  // longer pieces go to the text directly

  // The most bytes that a number's text takes after its separator.
  static constexpr std::size_t kMostNumberBytes = 2 + kNumberTextRoom;

  // Writes the stored numbers from index i on, up to end, which leaves room
  // in the block for each. Answers the index of the first element not
  // written, and adds the digits written to `digits`.
  template <bool kNearTheBound>
  uint32_t WriteNumbersInBlock(const ConcreteList& list, uint32_t i, uint32_t end,
                               uint64_t& digits) {
    char* const start = block_ + used_;
    char* p = start;
    const std::size_t room = room_ - used_;
    std::size_t separator = separator_;
    std::size_t written = 0;  // digits
    // The elements of one storage block lie side by side: each stretch of
    // them is walked as an array.
    list.ForEachRun(i, end, [&](const Element* elements, uint32_t count) {
      for (uint32_t k = 0; k < count; ++k, ++i) {
        const Element& element = elements[k];
        if (element.kind() != kElementNumber) return false;
        std::memcpy(p, ", ", 2);  // kept only after the first element
        const std::size_t number = WriteNumberText(element.number(), p + separator);
        const std::size_t size = separator + number;
        if (kNearTheBound && static_cast<std::size_t>(p - start) + size > room) {
          full_ = true;
          return false;
        }
        p += size;
        written += number;
        separator = 2;
      }
      return true;
    });
    digits += written;
    used_ += static_cast<std::size_t>(p - start);
    separator_ = separator;
    return i;
  }

  bool Refuse() {
    full_ = true;
    return false;
  }

  void Append(const char* bytes, std::size_t size) {
    if (size > kMaxPiece) {
      Flush();
      text_->append(bytes, size);
      room_ -= size;
      return;
    }
    if (kBlockBytes - used_ < size) Flush();
    std::memcpy(block_ + used_, bytes, size);
    used_ += size;
  }

  std::string* text_;
  char* block_;                // kBlockBytes
  std::size_t room_;           // the bytes that the text may still take past its flushed part
  std::size_t used_ = 0;       // bytes gathered in block_, at most room_
  std::size_t separator_ = 0;  // 2 once an element is written
  bool full_ = false;
};

// Writes the stored elements 0 .. count-1 of list, read where they are
// stored. The budget is charged what reading and writing each costs, as
// charging element by element would charge it (a Tab), and a run of numbers
// at once: the run that the budget pays for even if each number took the
// most digits, charged at the digits written. False when cut short.
bool WriteStored(const ConcreteList& list, uint32_t count, WorkBudget& budget,
                 ElementTextWriter& writer) {
  constexpr uint64_t k_number_cost = work_cost::kStoredRead + work_cost::kNumberText;
  constexpr uint64_t k_number_most = k_number_cost + work_cost::NewTextBytes(kNumberTextRoom);
  Tab tab(budget);
  uint32_t i = 0;
  while (i < count) {
    const Element& element = list.StoredAt(i);
    if (element.kind() == kElementNumber && tab.left() >= k_number_most) {
      const uint64_t paid = tab.left() / k_number_most;
      const uint32_t end = paid < count - i ? i + static_cast<uint32_t>(paid) : count;
      uint64_t digits = 0;
      const uint32_t next = writer.WriteNumbers(list, i, end, digits);
      tab.Add((next - i) * k_number_cost + work_cost::NewTextBytes(digits));
      i = next;
      if (writer.Full()) {
        tab.Add(work_cost::kStoredRead);  // the number that did not fit was read
        break;
      }
      continue;
    }
    // Other elements, and numbers near the end of the budget, one at a time.
    if (!tab.Charge(ConcreteList::ReadCost(element)) || !writer.Write(element, tab)) break;
    ++i;
  }
  tab.Settle();
  return !writer.Full() && !tab.refused();
}

// Writes elements 0 .. count-1 of list, each read by ElementAt. False when
// cut short.
bool WriteRead(List& list, uint32_t count, WorkBudget& budget, ElementTextWriter& writer) {
  for (uint32_t i = 0; i < count; ++i) {
    const Element element = list.ElementAt(i, budget);
    // Cut short when the budget ran out while the element was read: this
    // element and the rest are not known.
    if (budget.Spent() || !writer.Write(element, budget)) return false;
  }
  return true;
}

}  // namespace

std::string SetText(List& list, int32_t max_length, WorkBudget& budget) {
  auto count = static_cast<uint32_t>(list.Length(budget));
  const auto maximum = static_cast<uint32_t>(max_length);
  bool cut = budget.Spent();  // the length is not known: nothing is written
  if (count > maximum) {
    cut = true;
    count = maximum;
  }
  std::string text;
  try {
    text.reserve(InitialTextRoom(count));
  } catch (const std::bad_alloc&) {
    // A hint only: the text grows as it needs.
  }
  text += '[';
  char block[kBlockBytes];
  ElementTextWriter writer(&text, block);
  const ConcreteList* concrete = AsConcreteList(&list);
  if (!(concrete != nullptr ? WriteStored(*concrete, count, budget, writer)
                            : WriteRead(list, count, budget, writer))) {
    cut = true;
  }
  writer.Flush();
  if (cut) text += ", ... ";
  text += ']';
  return text;
}

}  // namespace tallyra
