// Every operation of the object, one row each, in code order.
#include "extension/Catalogue.h"

#include "abi/OperationCodes.h"
#include "extension/RoutineAdapters.h"
#include "runtime/Routines.h"

namespace tallyra {

namespace {

// Parameters of conditions and actions.
constexpr Param Number(const char* title) { return Param{kTypeNumber, title}; }
constexpr Param Text(const char* title) { return Param{kTypeText, title}; }
// Parameters of expressions.
constexpr Param Integer(const char* title) { return Param{kTypeExpressionInteger, title}; }
constexpr Param IntegerNumber(const char* title) { return Param{kTypeExpressionNumber, title}; }
constexpr Param SetName(const char* title) { return Param{kTypeExpressionText, title}; }

template <typename... Params>
constexpr OperationEntry Row(int code, const char* display, uint16_t flags, Params... params) {
  static_assert(sizeof...(Params) <= kMaxParams, "too many parameters");
  OperationEntry row{};
  row.code = code;
  row.display = display;
  row.flags = flags;
  const Param list[] = {Param{}, params...};  // the first is a placeholder
  for (std::size_t i = 0; i < sizeof...(Params); ++i) row.params[i] = list[i + 1];
  row.paramCount = sizeof...(Params);
  return row;
}

template <typename... Params>
constexpr OperationEntry Condition(ConditionCode code, ConditionRoutine routine, uint16_t flags,
                                   const char* display, Params... params) {
  OperationEntry row = Row(CodeOf(code), display, flags, params...);
  row.condition = routine;
  return row;
}

template <typename... Params>
constexpr OperationEntry Action(ActionCode code, ActionRoutine routine, const char* display,
                                Params... params) {
  OperationEntry row = Row(CodeOf(code), display, 0, params...);
  row.action = routine;
  return row;
}

template <typename... Params>
constexpr OperationEntry Expression(ExpressionCode code, ExpressionRoutine routine,
                                    uint16_t result_flags, const char* display, Params... params) {
  OperationEntry row = Row(CodeOf(code), display, result_flags, params...);
  row.expression = routine;
  return row;
}

constexpr const char* kListObjectName = "List Object Name (Case sensitive. And get it right!)";

using C = ConditionCode;
using A = ActionCode;
using E = ExpressionCode;
using R = ExpressionResult;

constexpr OperationEntry kConditions[] = {
    Condition(C::kEqual, ConditionAdapter<ConditionEqual>, kConditionComparison, "%o: %0 == %1",
              Number("First number"), Number("Second number")),
    Condition(C::kOnTrigger, ConditionAdapter<ConditionOnTrigger>, 0, "%o : On trigger"),
};

constexpr OperationEntry kActions[] = {
    Action(A::kTrigger, ActionAdapter<ActionTrigger>, "Trigger condition"),
    Action(A::kDummy, ActionAdapter<ActionDummy>, "Dummy action"),
    Action(A::kAppendText, ActionAdapter<ActionAppendText>, "Append element %1 to set %0",
           Text("Set to add to"), Text("Element to add (String)")),
    Action(A::kAppendNumber, ActionAdapter<ActionAppendNumber>, "Append element %1 to set %0",
           Text("Set to add to"), Number("Element to add (Value)")),
    Action(A::kFirstSubset, ActionAdapter<ActionFirstSubset>,
           "Get first %1-subset of %0 and put it in %2", Text("Set to find subsets of"),
           Number("Size of subsets to find"), Text("Destination set")),
    Action(A::kNextSubset, ActionAdapter<ActionNextSubset>, "Get next subset in %0",
           Text("Set Name")),
    Action(A::kDefineFormula, ActionAdapter<ActionDefineFormula>,
           "Define list %0 by the formula %1", Text("Set Name"),
           Text("Formula (n is free variable)")),
    Action(A::kDefineMapped, ActionAdapter<ActionDefineMapped>,
           "Define mapped list %2 by the formula %1 on elements of %0",
           Text("Set Name to base upon"),
           Text("Formula (x is the current value as a number, n is the index)"),
           Text("Set Name to store to")),
    Action(A::kDefineSubsequence, ActionAdapter<ActionDefineSubsequence>,
           "Define %2 to be the subsequence of %0 by the formula %1", Text("Set Name to base upon"),
           Text("Formula (n is the index)"), Text("Set Name to store to")),
    Action(A::kDefineMappedPair, ActionAdapter<ActionDefineMappedPair>,
           "Define mapped list %3 by the formula %2 on elements of %0 and %1",
           Text("First set name to base upon"), Text("Second set name to base upon"),
           Text("Formula (n is the index, a is the first set element, b is the second set "
                "element)"),
           Text("Set Name to store to")),
    Action(A::kDefineFiltered, ActionAdapter<ActionDefineFiltered>,
           "Define %2 to be the result of applying the filter %1 to the set %0",
           Text("List name to base upon"),
           Text("Formula (n is the index, x is the element value. If non-zero then 'true')"),
           Text("List Name to store to")),
    Action(A::kListObjectToSet, ActionAdapter<ActionListObjectToSet>,
           "Put the contence of List %1 into %0", Text("Set Name"), Text(kListObjectName)),
    Action(A::kSetToListObject, ActionAdapter<ActionSetToListObject>,
           "Put the content of %0 into list %1 (Max Len: %2)", Text("Set Name"),
           Text(kListObjectName), Number("Max Items to add")),
};

constexpr OperationEntry kExpressions[] = {
    Expression(E::kLength, ExpressionAdapter<ExpressionLength, R::kInteger>,
               kExpressionResultInteger, "Length(", SetName("List ID")),
    Expression(E::kElementAtStr, ExpressionAdapter<ExpressionElementAtStr, R::kText>,
               kExpressionResultText, "ElementAtStr$(", SetName("List ID"),
               Integer("Element Index")),
    Expression(E::kElementAt, ExpressionAdapter<ExpressionElementAt, R::kFloat>,
               kExpressionResultNumber, "ElementAt(", SetName("List ID"), Integer("Element Index")),
    Expression(E::kListSum, ExpressionAdapter<ExpressionListSum, R::kFloat>,
               kExpressionResultNumber, "ListSum(", SetName("List ID")),
    Expression(E::kAsString, ExpressionAdapter<ExpressionAsString, R::kText>, kExpressionResultText,
               "asString$(", SetName("List ID"), Integer("Max length of list")),
    // Flagged as a number, handed back as an integer.
    Expression(E::kBinomial, ExpressionAdapter<ExpressionBinomial, R::kInteger>,
               kExpressionResultNumber, "BinomialCoefficient(", IntegerNumber("n"),
               IntegerNumber("m")),
};

// Each table holds every code of its kind once, in code order.
template <std::size_t N>
constexpr bool InCodeOrder(const OperationEntry (&rows)[N], OperationKind kind) {
  if (N != OperationCount(kind)) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (rows[i].code != static_cast<int>(i)) return false;
  }
  return true;
}
static_assert(InCodeOrder(kConditions, OperationKind::kCondition), "conditions in code order");
static_assert(InCodeOrder(kActions, OperationKind::kAction), "actions in code order");
static_assert(InCodeOrder(kExpressions, OperationKind::kExpression), "expressions in code order");

}  // namespace

OperationRows CatalogueOf(OperationKind kind) {
  switch (kind) {
    case OperationKind::kCondition:
      return OperationRows{kConditions, std::size(kConditions)};
    case OperationKind::kAction:
      return OperationRows{kActions, std::size(kActions)};
    case OperationKind::kExpression:
      break;
  }
  return OperationRows{kExpressions, std::size(kExpressions)};
}

const OperationEntry* FindOperation(OperationKind kind, long long code) {
  const OperationRows rows = CatalogueOf(kind);
  if (code < 0 || static_cast<unsigned long long>(code) >= rows.size()) return nullptr;
  return &rows[static_cast<std::size_t>(code)];
}

}  // namespace tallyra
