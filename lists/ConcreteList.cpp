#include "lists/ConcreteList.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace tallyra {

ConcreteList::~ConcreteList() {
  for (Block* block : blocks_) Free(block);
}

ConcreteList::Block* ConcreteList::NewBlock() {
  void* room = ::operator new(sizeof(Block) + sizeof(Element) * kBlockLength);
  return new (room) Block{0};
}

void ConcreteList::Free(Block* block) noexcept {
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
    last->elements()[last->filled - 1].~Element();
    --last->filled;
    --length_;
    if (last->filled == 0) {
      Free(last);
      blocks_.pop_back();
    }
  }
}

ConcreteList::Block& ConcreteList::NewRoom() {
  if (length_ >= kMaxLength) throw std::length_error("the list is full");
  MakeTableRoom();
  blocks_.push_back(NewBlock());  // no throw once the block is made
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
  for (uint32_t i = 0; i < count; ++i) {
    Element element = list.ElementAt(i, budget);
    if (budget.Spent()) CutShort();
    CountCopiedBytes(element, bytes);
    copy->AppendElement(std::move(element));
  }
  return copy;
}

}  // namespace tallyra
