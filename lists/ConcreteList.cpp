#include "lists/ConcreteList.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace tallyra {

ConcreteList::~ConcreteList() {
  for (Block* block : blocks_) Release(block);
}

ConcreteList::Block* ConcreteList::NewBlock(const Element* first, uint32_t count) {
  void* room = ::operator new(sizeof(Block) + sizeof(Element) * kBlockLength);
  auto* block = new (room) Block{1, count, 0, 0};
  Element* elements = block->elements();
  for (uint32_t i = 0; i < count; ++i) {
    new (elements + i) Element(first[i]);
    block->CountText(first[i]);
  }
  return block;
}

void ConcreteList::Release(Block* block) noexcept {
  if (--block->references != 0) return;
  Element* elements = block->elements();
  for (uint32_t i = 0; i < block->filled; ++i) elements[i].~Element();
  ::operator delete(block);
}

static_assert(work_cost::kListRead <= work_cost::kStoredRead, "a stored read pays its dispatch");

Element ConcreteList::ElementOf(uint32_t index, WorkBudget& budget) {
  const Element* element = ReadPaid(index, work_cost::kListRead, budget);
  return element != nullptr ? *element : Element::None();
}

double ConcreteList::NumberOf(uint32_t index, WorkBudget& budget) {
  const Element* element = ReadPaid(index, work_cost::kListRead, budget);
  if (element == nullptr) return 0;  // None reads as 0
  return element->kind() == kElementNumber ? element->number() : ElementNumber(*element, budget);
}

std::shared_ptr<ConcreteList> ConcreteList::ConcreteOf(WorkBudget&) {
  return std::static_pointer_cast<ConcreteList>(shared_from_this());
}

void ConcreteList::AppendText(std::string_view text) {
  Element element = Element::Text(text);
  Fill(Room(), std::move(element));
}

void ConcreteList::AppendElement(const Element& element) { AppendElement(Element(element)); }

void ConcreteList::AppendElement(Element&& element) { Fill(Room(), std::move(element)); }

void ConcreteList::AppendAll(std::vector<Element>&& elements) {
  if (elements.size() > kMaxLength - length_) throw std::length_error("the list is full");
  uint32_t appended = 0;
  try {
    for (Element& element : elements) {
      Fill(Room(), std::move(element));
      ++appended;
    }
  } catch (...) {
    Unappend(appended);
    throw;
  }
}

void ConcreteList::Unappend(uint32_t count) noexcept {
  for (; count > 0; --count) {
    Block* last = blocks_.back();
    Element& element = last->elements()[last->filled - 1];
    if (element.kind() == kElementText) {
      last->text_cost -= ReadCost(element) - work_cost::kStoredRead;
      last->text_bytes -= element.text().size();
    }
    element.~Element();
    --last->filled;
    --length_;
    if (last->filled == 0) {
      Release(last);
      blocks_.pop_back();
    }
  }
}

ConcreteList::Block& ConcreteList::NewRoom() {
  if (length_ >= kMaxLength) throw std::length_error("the list is full");
  const uint32_t slot = length_ & (kBlockLength - 1);
  if (slot == 0) {
    MakeTableRoom();
    blocks_.push_back(NewBlock(nullptr, 0));  // no throw once the block is made
  } else if (blocks_.back()->filled != slot) {
    // A list that shares this block appended past what this one sees.
    Block* own = NewBlock(blocks_.back()->elements(), slot);
    Release(blocks_.back());
    blocks_.back() = own;
  }
  return *blocks_.back();
}

void ConcreteList::MakeTableRoom() {
  constexpr std::size_t k_most_blocks = kMaxLength / kBlockLength;
  if (blocks_.size() == blocks_.capacity())
    blocks_.reserve(std::min(blocks_.size() * 2 + 1, k_most_blocks));
}

void ConcreteList::Reserve(uint32_t count) {
  if (count > kMaxLength) count = kMaxLength;
  blocks_.reserve((count + kBlockLength - 1) >> kBlockShift);
}

namespace {

// Counts the bytes of an element's text into a copy's; throws
// std::length_error when the copy grows past ConcreteList::kMaxCopyBytes.
void CountCopiedBytes(const Element& element, uint64_t& bytes) {
  if (!ConcreteList::CountCopyBytes(bytes, 0, element.text().size()))
    throw std::length_error("the list is too large to copy");
}

[[noreturn]] void CutShort() { throw std::length_error("the list takes too long to copy"); }

}  // namespace

std::shared_ptr<ConcreteList> MakeConcreteCopy(List& list, WorkBudget& budget) {
  auto copy = std::make_shared<ConcreteList>();
  const int32_t length = list.Length(budget);
  if (budget.Spent()) CutShort();
  if (length < 1) return copy;
  const auto count = static_cast<uint32_t>(length);
  uint64_t bytes = 0;
  if (!ConcreteList::CountCopyBytes(bytes, count, 0))
    throw std::length_error("the list is too long to copy");
  copy->Reserve(count + 1);  // and room for the append that most copies are made for
  if (const ConcreteList* stored = AsConcreteList(&list)) {
    // The copy shares the list's blocks. Each element's read is charged as
    // ElementAt charges it: a block's reads at once when they are within the
    // budget and the copy's bytes; else one by one, up to the read that fails.
    constexpr uint32_t k_block_length = ConcreteList::kBlockLength;
    for (uint32_t first = 0; first < count; first += k_block_length) {
      ConcreteList::Block* block = stored->blocks_[first >> ConcreteList::kBlockShift];
      const uint32_t seen = std::min(count - first, k_block_length);
      const Element* elements = block->elements();
      uint64_t with_block = bytes;
      if (seen == block->filled && block->ReadCost() <= budget.remaining() &&
          ConcreteList::CountCopyBytes(with_block, 0, block->text_bytes)) {
        budget.Charge(block->ReadCost());
        bytes = with_block;
      } else {
        for (uint32_t i = 0; i < seen; ++i) {
          if (!budget.Charge(ConcreteList::ReadCost(elements[i]))) CutShort();
          CountCopiedBytes(elements[i], bytes);
        }
      }
      copy->blocks_.push_back(block);  // within the room reserved: no throw
      ++block->references;
      copy->length_ += seen;
    }
    return copy;
  }
  for (uint32_t i = 0; i < count; ++i) {
    Element element = list.ElementAt(i, budget);
    if (budget.Spent()) CutShort();
    CountCopiedBytes(element, bytes);
    copy->AppendElement(std::move(element));
  }
  return copy;
}

}  // namespace tallyra
