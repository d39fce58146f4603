#include "lists/ConcreteList.h"

#include <stdexcept>
#include <string>
#include <utility>

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
  if (elements_.size() >= kMaxLength) throw std::length_error("the list is full");
  elements_.push_back(std::move(element));  // strong guarantee: unchanged when it throws
}

void ConcreteList::Reserve(uint32_t count) {
  if (count > kMaxLength) count = kMaxLength;
  elements_.reserve(count);
}

std::shared_ptr<ConcreteList> MakeConcreteCopy(List& list, WorkBudget& budget) {
  auto copy = std::make_shared<ConcreteList>();
  const int32_t length = list.Length();
  if (length < 1) return copy;
  const auto count = static_cast<uint32_t>(length);
  uint64_t bytes = count * ConcreteList::kCopyBytesPerElement;
  if (bytes > ConcreteList::kMaxCopyBytes) throw std::length_error("the list is too long to copy");
  copy->Reserve(count + 1);  // and room for the append that most copies are made for
  for (uint32_t i = 0; i < count; ++i) {
    Element element = list.ElementAt(i, budget);
    if (budget.Spent()) throw std::length_error("the list takes too long to copy");
    bytes += element.text.size();
    if (bytes > ConcreteList::kMaxCopyBytes)
      throw std::length_error("the list is too large to copy");
    copy->AppendElement(std::move(element));
  }
  return copy;
}
