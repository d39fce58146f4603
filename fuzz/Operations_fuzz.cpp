// Random sequences of every operation of the catalogue (extension/Catalogue.h),
// driven through the simulated host against the module's own code (linked into
// this program, so that the fuzzer can look into the instance's set store and
// count the lists in being). An operation added to the catalogue is fuzzed
// with no change here: its parameters' meanings pick their values.
//
// Input, read from the front, per operation: a kind byte (byte % 4: 0
// condition, 1 action, 2 expression, 3 destroys the instance and makes a new
// one) and, but for 3, a code byte, the operation's code; a code that its
// kind does not have ends the input there, so a seed keeps its meaning as
// operations are added. Then one byte per parameter: below 0xF0 it picks from
// the table for the parameter's meaning (set names, formulas, element texts,
// List object names, numbers, indices, maxima); 0xF0 and up is followed by a
// raw value (a length byte and that many bytes for a text, four bytes for a
// number).
//
// Checked after every operation: the host saw no breach of its protocol;
// every name that was ever in the store is still there and bound to a list;
// "Length(" answers the bound list's length; a finite list's concrete form
// holds exactly its elements, and "ElementAtStr$(" the text of each.
// Checked when the host ends: no list is left in being.
//
// Each operation runs under a search budget of its own, far smaller than the
// one that the module opens for a host call (the module's scope then leaves it
// in force), so that inputs stay quick while the paths that cut work short
// are taken often.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "abi/OperationCodes.h"
#include "extension/Catalogue.h"
#include "extension/RoutineAdapters.h"
#include "extension/RunData.h"
#include "lists/ConcreteList.h"
#include "lists/List.h"
#include "lists/PrimeList.h"
#include "lists/WorkBudget.h"
#include "runtime/NumberText.h"
#include "runtime/SetStore.h"
#include "simhost/testing/LinkedModule.h"
#include "simhost/SimulatedHost.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::HostResult;
using tallyra::simhost::LinkedModuleExports;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "operations_fuzz: %s\n", what.c_str());
  std::abort();
}

const std::vector<std::string> kSetNames = {"a", "b", "c",  "<p>", "<primes>", "<prime>",
                                            "",  "A", "a ", "d",   "e"};
const std::vector<std::string> kFormulas = {
    "n",       "x",        "a+b",      "2*n",    "x>10",        "n-2",
    "1",       "0",        "0.5",      "x*10+n", "mod(n,3)",    "if(x>3,1,0)",
    "2^n^0.5", "1/0",      "sqrt(-1)", "a-b",    "n*1000",      "-n",
    "x and 1", "b",        "log(n)",   "n^2^2",  "if(n,1/0,2)", "_pi*n",
    "x<>3",    "mod(n,0)", "a*b",      "n<3",    "x",           "n+1e300*1e300",
    "(x",      "q",        "a",        "x^-n^2", "n%2",         "if(n>2,x,n)"};
const std::vector<std::string> kItems = {"a",   "12", "",    " 3.5e1xyz",
                                         "2.5", "-7", "abc", std::string(70, 'y')};
const std::vector<std::string> kListObjects = {"L", "M", "l", "Tallyra 1", "nosuch", ""};
const std::vector<double> kNumbers = {
    0,   1,        2,        3,   -1,   4,   5,    10,    100, 1000,     2147483647, -2147483648.0,
    2e9, 33554432, 33554433, 0.5, -0.5, 2.7, 1e10, -1e10, NAN, INFINITY, 65536,      -2};
// Maximum lengths and counts: the largest (-1 reads as 4294967295) come up
// less often than the others, since each makes a text or a copy as large as
// one call may make.
const std::vector<double> kMaxima = {0, 1,  2,  3,  4,   5,    6,  7,
                                     8, 10, 20, 50, 100, 1000, -1, 2147483647};
const std::vector<double> kIndices = {
    0, 1, 2, 3, 4, 5, 10, 53, 54, 100, 1000, 65535, -1, -2, 2147483647, -2147483648.0, 203280221};

class Input {
 public:
  Input(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  Arg Param(ParamMeaning meaning) {
    const uint8_t b = Byte();
    const bool raw = b >= 0xF0;
    switch (meaning) {
      case ParamMeaning::kSetName:
        return Arg::Text(raw ? RawText() : kSetNames[b % kSetNames.size()]);
      case ParamMeaning::kFormula:
        return Arg::Text(raw ? RawText() : kFormulas[b % kFormulas.size()]);
      case ParamMeaning::kElement:
        return Arg::Text(raw ? RawText() : kItems[b % kItems.size()]);
      case ParamMeaning::kListObjectName:
        return Arg::Text(raw ? RawText() : kListObjects[b % kListObjects.size()]);
      case ParamMeaning::kNumber:
        return Arg::Number(raw ? RawNumber() : kNumbers[b % kNumbers.size()]);
      case ParamMeaning::kMaximum:
        return Arg::Number(raw ? static_cast<double>(RawWord() & 0xFFFF) - 8
                               : kMaxima[b % kMaxima.size()]);
      case ParamMeaning::kIndex:
        // Raw indices stay below 2^20: no input spends its time growing the
        // prime table to its end (which has tests of its own).
        return Arg::Number(raw ? static_cast<double>(RawWord() & ((1u << 20) - 1))
                               : kIndices[b % kIndices.size()]);
    }
    return Arg::Number(0);
  }

 private:
  std::string RawText() {
    const std::size_t length = Byte() % 48;
    std::string text;
    for (std::size_t i = 0; i < length && !empty(); ++i) text += static_cast<char>(Byte());
    return text;
  }
  uint32_t RawWord() {
    uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) raw = raw << 8 | Byte();
    return raw;
  }
  double RawNumber() { return static_cast<int32_t>(RawWord()); }

  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

bool Same(const Element& a, const Element& b) {
  if (a.kind() != b.kind() || a.text() != b.text()) return false;
  if (a.kind() != kElementNumber) return true;
  const double x = a.number(), y = b.number();
  if (std::isnan(x) && std::isnan(y)) return true;
  return std::memcmp(&x, &y, sizeof x) == 0;
}

class Driver {
 public:
  explicit Driver(SimulatedHost& host)
      : host_(host), before_(List::LiveCount()), object_(&host.CreateObject()) {}

  void Run(Input& input) {
    for (int step = 0; step < 64 && !input.empty(); ++step) {
      const uint8_t kind_byte = input.Byte() % (kOperationKindCount + 1);
      if (kind_byte == kOperationKindCount) {
        Renew();
        continue;
      }
      const OperationKind kind = kOperationKinds[kind_byte];
      const OperationEntry* operation = FindOperation(kind, input.Byte());
      if (operation == nullptr) return;  // no such code: the input ends
      std::vector<Arg> args;
      for (std::size_t j = 0; j < operation->param_count; ++j) {
        const ParamMeaning meaning = operation->params[j].meaning;
        args.push_back(input.Param(meaning));
        if (meaning == ParamMeaning::kSetName && names_.size() < 64) {
          names_.insert(args.back().text());
        }
      }
      Call(kind, operation->code, args);
      Check();
    }
  }

 private:
  void Call(OperationKind kind, int code, const std::vector<Arg>& args) {
    if (kind == OperationKind::kCondition) {
      object_->Condition(code, args);
    } else if (kind == OperationKind::kAction) {
      object_->Action(code, args);
    } else {
      object_->Expression(code, args);
    }
  }

  SetStore& Store() {
    SetStore* store = reinterpret_cast<RunData*>(object_->header())->store;
    if (store == nullptr) Fail("the instance has no store");
    return *store;
  }

  void Renew() {
    host_.DestroyObject(*object_);
    if (List::LiveCount() != before_) {
      Fail("an ended instance left lists in being: " + std::to_string(List::LiveCount() - before_));
    }
    object_ = &host_.CreateObject();
    present_.clear();
  }

  void Check() {
    if (!host_.violations().empty()) Fail("protocol: " + host_.violations().front());
    host_.ClearRecords();
    SetStore& store = Store();
    for (const std::string& name : names_) {
      ListRef* slot = store.LookUpSet(name, /*create=*/false);
      if (slot == nullptr) {
        if (present_.count(name) != 0) Fail("the name \"" + name + "\" left the store");
        continue;
      }
      if (!*slot) Fail("the name \"" + name + "\" is bound to nothing");
      present_.insert(name);
      CheckList(name, *slot->get());
    }
  }

  void CheckList(const std::string& name, List& list) {
    WorkBudget budget(uint64_t{1} << 20);
    const int32_t length = list.Length(budget);
    const HostResult answered =
        object_->Expression(CodeOf(ExpressionCode::kLength), {Arg::Text(name)});
    if (answered != HostResult::Integer(length)) Fail("\"Length(\" differs for \"" + name + "\"");
    if (length < 0 || length > 64) return;
    std::shared_ptr<ConcreteList> concrete;
    try {
      concrete = list.ToConcrete(budget);
    } catch (const std::length_error&) {
      if (!budget.Spent()) Fail("a short list of \"" + name + "\" was too long to copy");
      return;
    }
    if (budget.Spent() || !concrete) return;
    if (concrete->length() != length)
      Fail("the concrete form of \"" + name + "\" has another length");
    for (int32_t i = 0; i < length; ++i) {
      const auto index = static_cast<uint32_t>(i);
      const Element element = list.ElementAt(index, budget);
      const HostResult text = object_->Expression(CodeOf(ExpressionCode::kElementAtStr),
                                                  {Arg::Text(name), Arg::Number(i)});
      if (budget.Spent()) return;
      const Element stored = concrete->ElementAt(index, budget);
      if (!Same(element, stored)) Fail("the concrete form of \"" + name + "\" differs");
      if (text != HostResult::Text(ElementText(stored))) {
        Fail("\"ElementAtStr$(\" differs for \"" + name + "\"");
      }
    }
  }

  SimulatedHost& host_;
  const uint32_t before_;  // lists in being before the instance was made
  SimulatedObject* object_;
  std::set<std::string> names_;    // every set name that the input used
  std::set<std::string> present_;  // those seen in the store
};

}  // namespace

// The primes are found once for the whole module, uncharged, when an index
// past those found is first read; under the sanitizers finding all of them
// takes seconds. They are found here, before the inputs, so that each input's
// time is its own work.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static PrimeList primes;
  primes.CoverAll();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  // Each call may do a 256th of a host call's work: an input of 64 calls,
  // each as heavy as it may be, stays well within a second.
  PerCallAllowanceForTesting() = WorkBudget::kPerCall >> 8;
  const uint32_t before = List::LiveCount();
  {
    SimulatedHost host(LinkedModuleExports());
    host.AddListObject("L", {"a", "12", "", " 3.5e1xyz", std::string(80, 'z')});
    host.AddListObject("M");
    host.AddObject("l", 0x12345678);
    Driver driver(host);
    Input input(data, size);
    driver.Run(input);
  }
  if (List::LiveCount() != before) {
    Fail("lists left in being: " + std::to_string(List::LiveCount() - before));
  }
  return 0;
}

}  // namespace tallyra
