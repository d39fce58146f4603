// WorkBudget: the work that one call from the host may do, counted in units
// that stand for about a nanosecond of this object's own work each, the same
// on every machine. The routine adapter of each host call makes one budget and
// passes it to every read that the routine makes; nothing else holds it, so a
// call that the host nests inside another (an expression parameter, an event
// raised by "Trigger condition") has its own budget and neither spends nor
// spoils its caller's.
//
// Whatever reads charges the cost of its own work before it does it
// (work_cost below); so does what defines a list (a formula's parse, a
// k-subset's first mask) and the port that takes each text parameter from
// the host, so that no call does work of 1 ms or more uncharged. Once a
// charge finds too little left, the budget is spent for good: that read and
// every later one answer None at once, and what was read since is not to be
// trusted (a mapped list maps the None of its base). Readers that gather many
// elements (the text form, the sum, copies) stop there and answer that they
// were cut short.
#ifndef TALLYRA_LISTS_WORKBUDGET_H_
#define TALLYRA_LISTS_WORKBUDGET_H_

#include <cstdint>

namespace tallyra {

class WorkBudget {
 public:
  // One host call's allowance: at most some 100 ms of the object's own work
  // on the development machine, whatever the work (bench/WorkCost_bench.cpp).
  static constexpr uint64_t kPerCall = uint64_t{1} << 27;

  explicit WorkBudget(uint64_t allowance = kPerCall) : remaining_(allowance) {}
  WorkBudget(const WorkBudget&) = delete;
  WorkBudget& operator=(const WorkBudget&) = delete;

  // Takes `cost` units; false, and spent from then on, when fewer are left.
  bool Charge(uint64_t cost) {
    if (spent_ || cost > remaining_) {
      spent_ = true;
      remaining_ = 0;
      return false;
    }
    remaining_ -= cost;
    return true;
  }

  // Whether some charge was refused: work was cut short.
  bool Spent() const { return spent_; }
  uint64_t remaining() const { return remaining_; }

 private:
  uint64_t remaining_;
  bool spent_ = false;
};

// What each kind of work costs, in budget units. Measured against the time
// that the work takes (bench/WorkCost_bench.cpp), each rounded up.
namespace work_cost {

// Every list operation's dispatch (List::ElementAt, NumberAt, ToConcrete),
// before the kind's own work; and every length query, at each list that it
// passes through. A kind whose read has a price of its own below (a stored
// read, a prime's, a k-subset's) charges that price less kListRead: the
// dispatch paid the rest.
constexpr uint64_t kListRead = 1;
constexpr uint64_t kLengthQuery = 2;

// Asking a list's version (List::Version), at each list that the query
// passes through.
constexpr uint64_t kVersionQuery = 1;

// Reading one stored element; a text costs more: its copy, and one unit per
// kTextBytesPerUnit of its bytes.
constexpr uint64_t kStoredRead = 6;
constexpr uint64_t kTextCopy = 8;
constexpr uint64_t kTextBytesPerUnit = 16;
inline uint64_t TextBytes(uint64_t bytes) { return bytes / kTextBytesPerUnit; }

// Reading a text as a number (ElementNumber): a fixed part, and one part for
// each byte that the reading looks at, blanks and long fractions included.
constexpr uint64_t kTextNumber = 16;
constexpr uint64_t kTextNumberByte = 2;

// Adding one stored number to a sum where it is stored, without a copy: the
// longest list that can be held (ConcreteList::kMaxLength) sums within one
// call's budget.
constexpr uint64_t kStoredSum = 2;

// Reading one prime (growing the table is not charged: it is done once, and
// bounded by the primes below 2^32): from the list's window of decoded
// primes; one that refills the window (the next in index order past it: the
// block of 90 primes that holds it is decoded); one anywhere else, a seek
// into the table (one cache line, usually a miss at random, and a select
// within it). A list whose reads jump about the primes spends a call's
// budget in about the time of other work.
constexpr uint64_t kPrimeRead = 2;
constexpr uint64_t kPrimeDecode = 700;
constexpr uint64_t kPrimeSeek = 400;

// A k-subset's read, and each 32-bit block of its mask that the seek reads.
constexpr uint64_t kSubsetRead = 1;
constexpr uint64_t kSubsetBlock = 4;
// Each 32-bit block of a new k-subset's first mask ("Get first subset"),
// charged before it is allocated and filled: fresh memory, touched first.
constexpr uint64_t kSubsetMaskBlock = 16;

// Evaluating a formula: a fixed part, and a part for each step of the
// compiled formula (FormulaEvaluator::Cost()).
constexpr uint64_t kEvaluation = 16;
constexpr uint64_t kFormulaStep = 3;
constexpr uint64_t kFormulaCall = 40;  // a step that calls a function or an operator
// Defining a formula-defined list: the parser set up, and the formula parsed
// and compiled, by its bytes (at most FormulaEvaluator::kMaxFormulaLength; a
// longer one is refused unread and pays the fixed part only), at the price of
// the slowest structure of that size, deep nesting.
constexpr uint64_t kFormulaDefinition = 16384;
constexpr uint64_t kFormulaByte = 16384;
// How many times an evaluation costs that met a subnormal number, as an
// operand or as a result (the processor's microcode takes over).
constexpr uint64_t kSubnormalFactor = 16;

// Each byte of a text that the object writes anew: a text handed to the host
// (the object's text, grown as it is written, then the host's copy of it in
// its string space), an item taken from a List object or put into one. Such
// bytes mostly land in memory that nothing touched before, and the system's
// first touch of a page costs far more than the copy: about 2.6 ns a byte on
// the development machine, where the copy itself costs a few hundredths of
// that. A text result of 16 MiB made in a new process takes about 150 ms
// there, nearly all of it first touches: some 9 ns a byte.
constexpr uint64_t kNewTextByte = 5;
constexpr uint64_t NewTextBytes(uint64_t bytes) { return bytes * kNewTextByte; }

// Taking one item of a List object into a set, or putting one into it (with
// its text's bytes, NewTextBytes): the host's item fetched or added, its
// text copied.
constexpr uint64_t kListItem = 48;

// Taking a text parameter from the host: its copy, and its bytes, each
// looked at and copied into fresh memory.
constexpr uint64_t kParameterByte = 4;
inline uint64_t ParameterText(uint64_t bytes) { return kTextCopy + bytes * kParameterByte; }

// Writing an element into a list's text form: a number, or a text, besides
// its bytes (a number's digits, a text's own) at NewTextBytes.
constexpr uint64_t kNumberText = 8;
constexpr uint64_t kElementText = 8;

}  // namespace work_cost

}  // namespace tallyra

#endif  // TALLYRA_LISTS_WORKBUDGET_H_
