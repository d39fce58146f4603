// Every registration of the module, in the order that fixes the codes.
#include "extension/Registrations.h"

#include "extension/AceDescriptor.h"
#include "extension/ParamList.h"
#include "extension/RoutineAdapters.h"
#include "runtime/Routines.h"

namespace {

constexpr const char* kListObjectName = "List Object Name (Case sensitive. And get it right!)";

// Members are made in declaration order, which is the registration order.
struct Registrations {
  // Conditions.
  ConditionDescriptor equal{
      ConditionAdapter<ConditionEqual>, kConditionComparison, "%o: %0 == %1",
      BuildParamList(2, kTypeNumber, "First number", kTypeNumber, "Second number")};
  ConditionDescriptor onTrigger{ConditionAdapter<ConditionOnTrigger>, 0, "%o : On trigger",
                                BuildParamList(0)};

  // Actions.
  ActionDescriptor trigger{ActionAdapter<ActionTrigger>, 0, "Trigger condition", BuildParamList(0)};
  ActionDescriptor dummy{ActionAdapter<ActionDummy>, 0, "Dummy action", BuildParamList(0)};
  ActionDescriptor appendText{
      ActionAdapter<ActionAppendText>, 0, "Append element %1 to set %0",
      BuildParamList(2, kTypeText, "Set to add to", kTypeText, "Element to add (String)")};
  ActionDescriptor appendNumber{
      ActionAdapter<ActionAppendNumber>, 0, "Append element %1 to set %0",
      BuildParamList(2, kTypeText, "Set to add to", kTypeNumber, "Element to add (Value)")};
  ActionDescriptor firstSubset{
      ActionAdapter<ActionFirstSubset>, 0, "Get first %1-subset of %0 and put it in %2",
      BuildParamList(3, kTypeText, "Set to find subsets of", kTypeNumber, "Size of subsets to find",
                     kTypeText, "Destination set")};
  ActionDescriptor nextSubset{ActionAdapter<ActionNextSubset>, 0, "Get next subset in %0",
                              BuildParamList(1, kTypeText, "Set Name")};
  ActionDescriptor defineFormula{
      ActionAdapter<ActionDefineFormula>, 0, "Define list %0 by the formula %1",
      BuildParamList(2, kTypeText, "Set Name", kTypeText, "Formula (n is free variable)")};
  ActionDescriptor defineMapped{
      ActionAdapter<ActionDefineMapped>, 0,
      "Define mapped list %2 by the formula %1 on elements of %0",
      BuildParamList(3, kTypeText, "Set Name to base upon", kTypeText,
                     "Formula (x is the current value as a number, n is the index)", kTypeText,
                     "Set Name to store to")};
  ActionDescriptor defineSubsequence{
      ActionAdapter<ActionDefineSubsequence>, 0,
      "Define %2 to be the subsequence of %0 by the formula %1",
      BuildParamList(3, kTypeText, "Set Name to base upon", kTypeText, "Formula (n is the index)",
                     kTypeText, "Set Name to store to")};
  ActionDescriptor defineMappedPair{
      ActionAdapter<ActionDefineMappedPair>, 0,
      "Define mapped list %3 by the formula %2 on elements of %0 and %1",
      BuildParamList(
          4, kTypeText, "First set name to base upon", kTypeText, "Second set name to base upon",
          kTypeText,
          "Formula (n is the index, a is the first set element, b is the second set element)",
          kTypeText, "Set Name to store to")};
  ActionDescriptor defineFiltered{
      ActionAdapter<ActionDefineFiltered>, 0,
      "Define %2 to be the result of applying the filter %1 to the set %0",
      BuildParamList(3, kTypeText, "List name to base upon", kTypeText,
                     "Formula (n is the index, x is the element value. If non-zero then 'true')",
                     kTypeText, "List Name to store to")};
  ActionDescriptor listObjectToSet{
      ActionAdapter<ActionListObjectToSet>, 0, "Put the contence of List %1 into %0",
      BuildParamList(2, kTypeText, "Set Name", kTypeText, kListObjectName)};
  ActionDescriptor setToListObject{
      ActionAdapter<ActionSetToListObject>, 0, "Put the content of %0 into list %1 (Max Len: %2)",
      BuildParamList(3, kTypeText, "Set Name", kTypeText, kListObjectName, kTypeNumber,
                     "Max Items to add")};

  // Expressions.
  ExpressionDescriptor length{ExpressionAdapter<ExpressionLength, ExpressionResult::kInteger>,
                              kExpressionResultInteger, "Length(",
                              BuildParamList(1, kTypeExpressionText, "List ID")};
  ExpressionDescriptor elementAtStr{
      ExpressionAdapter<ExpressionElementAtStr, ExpressionResult::kText>, kExpressionResultText,
      "ElementAtStr$(",
      BuildParamList(2, kTypeExpressionText, "List ID", kTypeExpressionInteger, "Element Index")};
  ExpressionDescriptor elementAt{
      ExpressionAdapter<ExpressionElementAt, ExpressionResult::kFloat>, kExpressionResultNumber,
      "ElementAt(",
      BuildParamList(2, kTypeExpressionText, "List ID", kTypeExpressionInteger, "Element Index")};
  ExpressionDescriptor listSum{ExpressionAdapter<ExpressionListSum, ExpressionResult::kFloat>,
                               kExpressionResultNumber, "ListSum(",
                               BuildParamList(1, kTypeExpressionText, "List ID")};
  ExpressionDescriptor asString{ExpressionAdapter<ExpressionAsString, ExpressionResult::kText>,
                                kExpressionResultText, "asString$(",
                                BuildParamList(2, kTypeExpressionText, "List ID",
                                               kTypeExpressionInteger, "Max length of list")};
  // Flagged as a number, handed back as an integer.
  ExpressionDescriptor binomial{
      ExpressionAdapter<ExpressionBinomial, ExpressionResult::kInteger>, kExpressionResultNumber,
      "BinomialCoefficient(",
      BuildParamList(2, kTypeExpressionNumber, "n", kTypeExpressionNumber, "m")};
};

// Registers at load, during static initialisation.
const bool registeredAtLoad = (RegisterOperations(), true);

}  // namespace

void RegisterOperations() {
  static const Registrations registrations;
  (void)registrations;
  (void)registeredAtLoad;
}
