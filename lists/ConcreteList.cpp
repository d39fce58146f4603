#include "lists/ConcreteList.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

ConcreteList::~ConcreteList() {
  ForEachRun(0, length_, [](const Element* first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) first[i].~Element();
    return true;
  });
  for (Element* block : blocks_) ::operator delete(block);
}

Element ConcreteList::ElementAt(uint32_t index, WorkBudget& budget) {
  const Element* element = ReadAt(index, budget);
  return element != nullptr ? *element : Element::None();
}

std::shared_ptr<ConcreteList> ConcreteList::ToConcrete(WorkBudget&) {
  return std::static_pointer_cast<ConcreteList>(shared_from_this());
}

void ConcreteList::AppendText(std::string_view text) {
  AppendElement(Element::Text(std::string(text)));
}

void ConcreteList::AppendNumber(double value) { AppendElement(Element::Number(value)); }

void ConcreteList::AppendElement(const Element& element) { AppendElement(Element(element)); }

void ConcreteList::AppendElement(Element&& element) {
  if (length_ >= kMaxLength) throw std::length_error("the list is full");
  if ((length_ & (kBlockLength - 1)) == 0) MakeRoom();
  new (blocks_[length_ >> kBlockShift] + (length_ & (kBlockLength - 1)))
      Element(std::move(element));
  ++length_;
}

void ConcreteList::MakeRoom() {
  constexpr std::size_t kMostBlocks = kMaxLength / kBlockLength;
  if (blocks_.size() == blocks_.capacity())
    blocks_.reserve(std::min(blocks_.size() * 2 + 1, kMostBlocks));
  blocks_.push_back(static_cast<Element*>(::operator new(sizeof(Element) * kBlockLength)));
}

void ConcreteList::Reserve(uint32_t count) {
  if (count > kMaxLength) count = kMaxLength;
  blocks_.reserve((count + kBlockLength - 1) >> kBlockShift);
}

namespace {

// Appends one element that a copy read, counting its text's bytes; throws
// std::length_error when the copy grows past ConcreteList::kMaxCopyBytes.
void AppendToCopy(ConcreteList& copy, const Element& element, uint64_t& bytes) {
  bytes += element.text().size();
  if (bytes > ConcreteList::kMaxCopyBytes) throw std::length_error("the list is too large to copy");
  copy.AppendElement(element);
}

[[noreturn]] void CutShort() { throw std::length_error("the list takes too long to copy"); }

}  // namespace

std::shared_ptr<ConcreteList> MakeConcreteCopy(List& list, WorkBudget& budget) {
  auto copy = std::make_shared<ConcreteList>();
  const int32_t length = list.Length();
  if (length < 1) return copy;
  const auto count = static_cast<uint32_t>(length);
  uint64_t bytes = count * ConcreteList::kCopyBytesPerElement;
  if (bytes > ConcreteList::kMaxCopyBytes) throw std::length_error("the list is too long to copy");
  copy->Reserve(count + 1);  // and room for the append that most copies are made for
  if (const ConcreteList* stored = AsConcreteList(&list)) {
    // Read in place, block by block, each read charged as ElementAt charges it.
    stored->ForEachRun(0, count, [&](const Element* first, uint32_t run) {
      for (uint32_t i = 0; i < run; ++i) {
        if (!budget.Charge(ConcreteList::ReadCost(first[i]))) CutShort();
        AppendToCopy(*copy, first[i], bytes);
      }
      return true;
    });
    return copy;
  }
  for (uint32_t i = 0; i < count; ++i) {
    const Element element = list.ElementAt(i, budget);
    if (budget.Spent()) CutShort();
    AppendToCopy(*copy, element, bytes);
  }
  return copy;
}
