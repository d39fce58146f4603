// Every operation of the object, one row each, in code order, and the tables
// made from the rows at compile time.
#include "extension/Catalogue.h"

#include "abi/OperationCodes.h"
#include "extension/InfoArray.h"
#include "extension/RoutineAdapters.h"
#include "extension/RoutineTable.h"
#include "runtime/Routines.h"

namespace tallyra {

namespace {

using M = ParamMeaning;

// Parameters of conditions and actions.
constexpr Param Number(M meaning, const char* title) { return Param{kTypeNumber, title, meaning}; }
constexpr Param Text(M meaning, const char* title) { return Param{kTypeText, title, meaning}; }
// Parameters of expressions.
constexpr Param Integer(M meaning, const char* title) {
  return Param{kTypeExpressionInteger, title, meaning};
}
constexpr Param IntegerNumber(M meaning, const char* title) {
  return Param{kTypeExpressionNumber, title, meaning};
}
constexpr Param SetName(const char* title) {
  return Param{kTypeExpressionText, title, M::kSetName};
}

// Where an item goes: its submenus, outermost first, then its text and rank.
constexpr MenuPlace InMenu(const char* text, int rank) { return MenuPlace{{}, text, false, rank}; }
constexpr MenuPlace InMenu(const char* submenu, const char* text, int rank) {
  return MenuPlace{{submenu}, text, false, rank};
}
constexpr MenuPlace InMenu(const char* submenu, const char* inner, const char* text, int rank) {
  return MenuPlace{{submenu, inner}, text, false, rank};
}
constexpr MenuPlace kNoMenuItem{};

template <typename... Params>
constexpr OperationEntry Row(int code, const char* display, uint16_t flags, MenuPlace menu,
                             Params... params) {
  static_assert(sizeof...(Params) <= kMaxParams, "too many parameters");
  OperationEntry row{};
  row.code = code;
  row.display = display;
  row.flags = flags;
  row.menu = menu;
  const Param list[] = {Param{}, params...};  // the first is a placeholder
  for (std::size_t i = 0; i < sizeof...(Params); ++i) row.params[i] = list[i + 1];
  row.param_count = sizeof...(Params);
  return row;
}

// Conditions are not picked from a menu.
template <typename... Params>
constexpr OperationEntry Condition(ConditionCode code, ConditionRoutine routine, uint16_t flags,
                                   const char* display, Params... params) {
  OperationEntry row = Row(CodeOf(code), display, flags, kNoMenuItem, params...);
  row.condition = routine;
  return row;
}

template <typename... Params>
constexpr OperationEntry Action(ActionCode code, ActionRoutine routine, MenuPlace menu,
                                const char* display, Params... params) {
  OperationEntry row = Row(CodeOf(code), display, 0, menu, params...);
  row.action = routine;
  return row;
}

template <typename... Params>
constexpr OperationEntry Expression(ExpressionCode code, ExpressionRoutine routine,
                                    uint16_t result_flags, MenuPlace menu, const char* display,
                                    Params... params) {
  OperationEntry row = Row(CodeOf(code), display, result_flags, menu, params...);
  row.expression = routine;
  return row;
}

constexpr const char* kVirtualLists = "'Virtual' Lists";
constexpr const char* kSublists = "K-Sublist";
constexpr const char* kListObjects = "List Object Integration";
constexpr const char* kListObjectName = "List Object Name (Case sensitive. And get it right!)";

using C = ConditionCode;
using A = ActionCode;
using E = ExpressionCode;
using R = ExpressionResult;

constexpr OperationEntry kConditions[] = {
    Condition(C::kEqual, ConditionAdapter<ConditionEqual>, kConditionComparison, "%o: %0 == %1",
              Number(M::kNumber, "First number"), Number(M::kNumber, "Second number")),
    Condition(C::kOnTrigger, ConditionAdapter<ConditionOnTrigger>, 0, "%o : On trigger"),
};

constexpr OperationEntry kActions[] = {
    Action(A::kTrigger, ActionAdapter<ActionTrigger>, kNoMenuItem, "Trigger condition"),
    Action(A::kDummy, ActionAdapter<ActionDummy>, kNoMenuItem, "Dummy action"),
    Action(A::kAppendText, ActionAdapter<ActionAppendText>, InMenu("Append string to set", 0),
           "Append element %1 to set %0", Text(M::kSetName, "Set to add to"),
           Text(M::kElement, "Element to add (String)")),
    Action(A::kAppendNumber, ActionAdapter<ActionAppendNumber>, InMenu("Append value to set", 1),
           "Append element %1 to set %0", Text(M::kSetName, "Set to add to"),
           Number(M::kNumber, "Element to add (Value)")),
    Action(A::kFirstSubset, ActionAdapter<ActionFirstSubset>,
           InMenu(kVirtualLists, kSublists, "Create", 2),
           "Get first %1-subset of %0 and put it in %2",
           Text(M::kSetName, "Set to find subsets of"),
           Number(M::kNumber, "Size of subsets to find"), Text(M::kSetName, "Destination set")),
    Action(A::kNextSubset, ActionAdapter<ActionNextSubset>,
           InMenu(kVirtualLists, kSublists, "Get next k-sublist", 3), "Get next subset in %0",
           Text(M::kSetName, "Set Name")),
    Action(A::kDefineFormula, ActionAdapter<ActionDefineFormula>,
           InMenu(kVirtualLists, "Define list by equation", 4).AfterSeparator(),
           "Define list %0 by the formula %1", Text(M::kSetName, "Set Name"),
           Text(M::kFormula, "Formula (n is free variable)")),
    Action(A::kDefineMapped, ActionAdapter<ActionDefineMapped>,
           InMenu(kVirtualLists, "Define mapping on list", 5),
           "Define mapped list %2 by the formula %1 on elements of %0",
           Text(M::kSetName, "Set Name to base upon"),
           Text(M::kFormula, "Formula (x is the current value as a number, n is the index)"),
           Text(M::kSetName, "Set Name to store to")),
    Action(A::kDefineSubsequence, ActionAdapter<ActionDefineSubsequence>,
           InMenu(kVirtualLists, "Define sub-sequence list", 7),
           "Define %2 to be the subsequence of %0 by the formula %1",
           Text(M::kSetName, "Set Name to base upon"),
           Text(M::kFormula, "Formula (n is the index)"),
           Text(M::kSetName, "Set Name to store to")),
    Action(A::kDefineMappedPair, ActionAdapter<ActionDefineMappedPair>,
           InMenu(kVirtualLists, "Define mapping on a pair of list", 6),
           "Define mapped list %3 by the formula %2 on elements of %0 and %1",
           Text(M::kSetName, "First set name to base upon"),
           Text(M::kSetName, "Second set name to base upon"),
           Text(M::kFormula,
                "Formula (n is the index, a is the first set element, b is the second set "
                "element)"),
           Text(M::kSetName, "Set Name to store to")),
    Action(A::kDefineFiltered, ActionAdapter<ActionDefineFiltered>,
           InMenu(kVirtualLists, "Define filtered list", 8),
           "Define %2 to be the result of applying the filter %1 to the set %0",
           Text(M::kSetName, "List name to base upon"),
           Text(M::kFormula,
                "Formula (n is the index, x is the element value. If non-zero then 'true')"),
           Text(M::kSetName, "List Name to store to")),
    Action(A::kListObjectToSet, ActionAdapter<ActionListObjectToSet>,
           InMenu(kListObjects, "Get items from list object", 9),
           "Put the contence of List %1 into %0", Text(M::kSetName, "Set Name"),
           Text(M::kListObjectName, kListObjectName)),
    Action(A::kSetToListObject, ActionAdapter<ActionSetToListObject>,
           InMenu(kListObjects, "Put items into a list object", 10),
           "Put the content of %0 into list %1 (Max Len: %2)", Text(M::kSetName, "Set Name"),
           Text(M::kListObjectName, kListObjectName), Number(M::kMaximum, "Max Items to add")),
};

constexpr OperationEntry kExpressions[] = {
    Expression(E::kLength, ExpressionAdapter<ExpressionLength, R::kInteger>,
               kExpressionResultInteger, InMenu("Get List Length", 0), "Length(",
               SetName("List ID")),
    Expression(E::kElementAtStr, ExpressionAdapter<ExpressionElementAtStr, R::kText>,
               kExpressionResultText, InMenu("Get Item (as string)", 1), "ElementAtStr$(",
               SetName("List ID"), Integer(M::kIndex, "Element Index")),
    Expression(E::kElementAt, ExpressionAdapter<ExpressionElementAt, R::kFloat>,
               kExpressionResultNumber, InMenu("Get Item (as number)", 2), "ElementAt(",
               SetName("List ID"), Integer(M::kIndex, "Element Index")),
    Expression(E::kListSum, ExpressionAdapter<ExpressionListSum, R::kFloat>,
               kExpressionResultNumber, InMenu("Get set sum", 3).AfterSeparator(), "ListSum(",
               SetName("List ID")),
    Expression(E::kAsString, ExpressionAdapter<ExpressionAsString, R::kText>, kExpressionResultText,
               InMenu("Get set as string", 4), "asString$(", SetName("List ID"),
               Integer(M::kMaximum, "Max length of list")),
    // Flagged as a number, handed back as an integer.
    Expression(E::kBinomial, ExpressionAdapter<ExpressionBinomial, R::kInteger>,
               kExpressionResultNumber, InMenu("Binomial Coefficient", 5).AfterSeparator(),
               "BinomialCoefficient(", IntegerNumber(M::kNumber, "n"),
               IntegerNumber(M::kNumber, "m")),
};

// Each table holds every code of its kind once, in code order, and no two of
// its menu items share a rank.
template <std::size_t N>
constexpr bool WellFormed(const OperationEntry (&rows)[N], OperationKind kind) {
  if (N != OperationCount(kind)) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (rows[i].code != static_cast<int>(i)) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (rows[i].menu.text != nullptr && rows[j].menu.text != nullptr &&
          rows[i].menu.rank == rows[j].menu.rank) {
        return false;
      }
    }
  }
  return true;
}
static_assert(WellFormed(kConditions, OperationKind::kCondition), "conditions");
static_assert(WellFormed(kActions, OperationKind::kAction), "actions");
static_assert(WellFormed(kExpressions, OperationKind::kExpression), "expressions");

constexpr auto kConditionInfos =
    MakeInfoArray<InfoWordCount(kConditions)>(kConditions, OperationKind::kCondition);
constexpr auto kActionInfos =
    MakeInfoArray<InfoWordCount(kActions)>(kActions, OperationKind::kAction);
constexpr auto kExpressionInfos =
    MakeInfoArray<InfoWordCount(kExpressions)>(kExpressions, OperationKind::kExpression);

constexpr auto kConditionRoutines = MakeRoutineTable(kConditions, &OperationEntry::condition);
constexpr auto kActionRoutines = MakeRoutineTable(kActions, &OperationEntry::action);
constexpr auto kExpressionRoutines = MakeRoutineTable(kExpressions, &OperationEntry::expression);

constexpr KindArray<OperationRows> kCatalogue = {{
    {kConditions, std::size(kConditions)},
    {kActions, std::size(kActions)},
    {kExpressions, std::size(kExpressions)},
}};

constexpr KindArray<InfoArrayView> kInfoArrays = {{
    {kConditionInfos.data(), std::size(kConditions)},
    {kActionInfos.data(), std::size(kActions)},
    {kExpressionInfos.data(), std::size(kExpressions)},
}};

constexpr RoutineTables kRoutineTables = {kConditionRoutines.data(), kActionRoutines.data(),
                                          kExpressionRoutines.data()};

}  // namespace

OperationRows CatalogueOf(OperationKind kind) { return kCatalogue[kind]; }

const OperationEntry* FindOperation(OperationKind kind, long long code) {
  const OperationRows rows = CatalogueOf(kind);
  if (code < 0 || static_cast<unsigned long long>(code) >= rows.size()) return nullptr;
  return &rows[static_cast<std::size_t>(code)];
}

InfoArrayView InfoArrayOf(OperationKind kind) { return kInfoArrays[kind]; }

const RoutineTables& RoutineTablesOfModule() { return kRoutineTables; }

}  // namespace tallyra
