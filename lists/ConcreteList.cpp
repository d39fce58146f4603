#include "lists/ConcreteList.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "lists/SearchBudget.h"

Element ConcreteList::ElementAt(uint32_t index) {
  if (index < elements_.size()) return elements_[index];
  return Element::None();
}

std::shared_ptr<ConcreteList> ConcreteList::ToConcrete() {
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

std::shared_ptr<ConcreteList> MakeConcreteCopy(List& list) {
  auto copy = std::make_shared<ConcreteList>();
  const int32_t length = list.Length();
  if (length < 1) return copy;
  const auto count = static_cast<uint32_t>(length);
  if (count > ConcreteList::kMaxCopyLength) throw std::length_error("the list is too long to copy");
  copy->Reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    copy->AppendElement(list.ElementAt(i));
    if (SearchBudget::Spent()) throw std::length_error("the list takes too long to copy");
  }
  return copy;
}
