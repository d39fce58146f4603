// The soak workload, shared by the soak test (which counts the lists in being)
// and the soak benchmark (which reports the process's peak memory): one set
// redefined again and again with one kind of list, and instances made, used
// and ended one after another, all through the simulated host.
#ifndef TALLYRA_TESTS_SOAKWORKLOAD_H_
#define TALLYRA_TESTS_SOAKWORKLOAD_H_

#include <functional>
#include <string>
#include <vector>

#include "simhost/SimulatedHost.h"

namespace tallyra {

namespace soak {

using tallyra::simhost::Arg;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

// How the set "S" is defined afresh each time.
enum class Kind {
  kSubset,       // the first 2-subset of "base", stepped once
  kFormula,      // a formula list, with one of a few formulas
  kMapped,       // mapped from "base"
  kSubsequence,  // a subsequence of "base"
  kMappedPair,   // mapped from "base" and "<p>"
  kFiltered,     // filtered from "<p>"
  kConcrete,     // a subset made concrete by an append
  kOnItself,     // mapped from "S" itself, 99 times on end, then made concrete
};

inline const std::vector<Kind>& AllKinds() {
  static const std::vector<Kind> kinds = {Kind::kSubset,      Kind::kFormula,    Kind::kMapped,
                                          Kind::kSubsequence, Kind::kMappedPair, Kind::kFiltered,
                                          Kind::kConcrete,    Kind::kOnItself};
  return kinds;
}

inline const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kSubset:
      return "subset";
    case Kind::kFormula:
      return "formula";
    case Kind::kMapped:
      return "mapped";
    case Kind::kSubsequence:
      return "subsequence";
    case Kind::kMappedPair:
      return "mapped pair";
    case Kind::kFiltered:
      return "filtered";
    case Kind::kConcrete:
      return "concrete";
    case Kind::kOnItself:
      return "on itself";
  }
  return "";
}

// Gives the instance the set "base": 1, 2, 3, 4, 5.
inline void MakeBase(SimulatedObject& object) {
  for (int i = 1; i <= 5; ++i)
    object.Action(ActionCode::kAppendNumber, {Arg::Text("base"), Arg::Number(i)});
}

// Defines "S" `count` times with lists of the kind given, reading an element
// of it each time; `sample` runs after every hundredth definition.
inline void Redefine(SimulatedObject& object, Kind kind, int count,
                     const std::function<void()>& sample = {}) {
  const Arg s = Arg::Text("S");
  const Arg base = Arg::Text("base");
  static const char* const k_formulas[] = {"n*2", "n+x", "mod(n,7)", "if(n>3,n,-n)"};
  for (int i = 0; i < count; ++i) {
    const Arg formula = Arg::Text(k_formulas[i % 4]);
    switch (kind) {
      case Kind::kSubset:
        object.Action(ActionCode::kFirstSubset, {base, Arg::Number(2), s});
        object.Action(ActionCode::kNextSubset, {s});
        break;
      case Kind::kFormula:
        object.Action(ActionCode::kDefineFormula, {s, formula});
        break;
      case Kind::kMapped:
        object.Action(ActionCode::kDefineMapped, {base, formula, s});
        break;
      case Kind::kSubsequence:
        object.Action(ActionCode::kDefineSubsequence, {base, formula, s});
        break;
      case Kind::kMappedPair:
        object.Action(ActionCode::kDefineMappedPair, {base, Arg::Text("<p>"), Arg::Text("a+b"), s});
        break;
      case Kind::kFiltered:
        object.Action(ActionCode::kDefineFiltered, {Arg::Text("<p>"), Arg::Text("mod(x,4)==1"), s});
        break;
      case Kind::kConcrete:
        object.Action(ActionCode::kFirstSubset, {base, Arg::Number(3), s});
        object.Action(ActionCode::kAppendText, {s, Arg::Text("more")});
        break;
      case Kind::kOnItself:
        if (i % 100 == 0) {
          object.Action(ActionCode::kAppendText,
                        {s, Arg::Text("end")});  // the chain becomes one list
        } else {
          object.Action(ActionCode::kDefineMapped, {s, Arg::Text("x+1"), s});
        }
        break;
    }
    object.Expression(ExpressionCode::kElementAt, {s, Arg::Number(i % 7)});
    if (sample && i % 100 == 99) sample();
  }
}

// Makes `count` instances one after another, each given a few sets of every
// kind, read, and ended; `afterEach` runs once each has ended.
inline void MakeAndEndInstances(SimulatedHost& host, int count,
                                const std::function<void()>& after_each = {}) {
  for (int i = 0; i < count; ++i) {
    SimulatedObject& object = host.CreateObject();
    MakeBase(object);
    object.Action(ActionCode::kFirstSubset, {Arg::Text("<p>"), Arg::Number(3), Arg::Text("k")});
    object.Action(ActionCode::kDefineMapped, {Arg::Text("k"), Arg::Text("x*x"), Arg::Text("m")});
    object.Action(ActionCode::kDefineFiltered, {Arg::Text("m"), Arg::Text("x>4"), Arg::Text("f")});
    object.Action(ActionCode::kDefineMappedPair,
                  {Arg::Text("f"), Arg::Text("base"), Arg::Text("a-b"), Arg::Text("p")});
    object.Action(ActionCode::kDefineSubsequence,
                  {Arg::Text("p"), Arg::Text("2-n"), Arg::Text("s")});
    object.Action(ActionCode::kDefineFormula, {Arg::Text("n"), Arg::Text("n")});
    object.Expression(ExpressionCode::kAsString, {Arg::Text("s"), Arg::Number(5)});
    object.Expression(ExpressionCode::kAsString, {Arg::Text("<p>"), Arg::Number(20)});
    host.DestroyObject(object);
    if (after_each) after_each();
  }
}

}  // namespace soak

}  // namespace tallyra

#endif  // TALLYRA_TESTS_SOAKWORKLOAD_H_
