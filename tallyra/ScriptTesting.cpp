#include "tallyra/ScriptTesting.h"

#include <utility>

namespace tallyra::script {

namespace {

ScriptOpInfo Op(int code, std::string display, uint16_t flags, uint16_t menuBase,
                std::vector<ScriptParam> params) {
  ScriptOpInfo info;
  info.code = code;
  info.display = std::move(display);
  info.flags = flags;
  info.menuId = static_cast<uint16_t>(menuBase + 10 * code);
  info.params = std::move(params);
  return info;
}

}  // namespace

ObjectDescription RegistryDescription() {
  const uint16_t N = kParamNumber;
  const uint16_t T = kParamText;
  ObjectDescription d;
  d.conditions = {
      Op(0, "%o: %0 == %1", 0x220, 26000, {{N, "First number"}, {N, "Second number"}}),
      Op(1, "%o : On trigger", 0, 26000, {}),
  };
  d.actions = {
      Op(0, "Trigger condition", 0, 25000, {}),
      Op(1, "Dummy action", 0, 25000, {}),
      Op(2, "Append element %1 to set %0", 0, 25000,
         {{T, "Set to add to"}, {T, "Element to add (String)"}}),
      Op(3, "Append element %1 to set %0", 0, 25000,
         {{T, "Set to add to"}, {N, "Element to add (Value)"}}),
      Op(4, "Get first %1-subset of %0 and put it in %2", 0, 25000,
         {{T, "Set to find subsets of"}, {N, "Size of subsets to find"}, {T, "Destination set"}}),
      Op(5, "Get next subset in %0", 0, 25000, {{T, "Set Name"}}),
      Op(6, "Define list %0 by the formula %1", 0, 25000,
         {{T, "Set Name"}, {T, "Formula (n is free variable)"}}),
      Op(7, "Define mapped list %2 by the formula %1 on elements of %0", 0, 25000,
         {{T, "Set Name to base upon"},
          {T, "Formula (x is the current value as a number, n is the index)"},
          {T, "Set Name to store to"}}),
      Op(8, "Define %2 to be the subsequence of %0 by the formula %1", 0, 25000,
         {{T, "Set Name to base upon"},
          {T, "Formula (n is the index)"},
          {T, "Set Name to store to"}}),
      Op(9, "Define mapped list %3 by the formula %2 on elements of %0 and %1", 0, 25000,
         {{T, "First set name to base upon"},
          {T, "Second set name to base upon"},
          {T, "Formula (n is the index, a is the first set element, b is the second set element)"},
          {T, "Set Name to store to"}}),
      Op(10, "Define %2 to be the result of applying the filter %1 to the set %0", 0, 25000,
         {{T, "List name to base upon"},
          {T, "Formula (n is the index, x is the element value. If non-zero then 'true')"},
          {T, "List Name to store to"}}),
      Op(11, "Put the contence of List %1 into %0", 0, 25000,
         {{T, "Set Name"}, {T, "List Object Name (Case sensitive. And get it right!)"}}),
      Op(12, "Put the content of %0 into list %1 (Max Len: %2)", 0, 25000,
         {{T, "Set Name"},
          {T, "List Object Name (Case sensitive. And get it right!)"},
          {N, "Max Items to add"}}),
  };
  const uint16_t I = kExprParamInteger;
  const uint16_t S = kExprParamText;
  d.expressions = {
      Op(0, "Length(", 0, 27000, {{S, "List ID"}}),
      Op(1, "ElementAtStr$(", 1, 27000, {{S, "List ID"}, {I, "Element Index"}}),
      Op(2, "ElementAt(", 2, 27000, {{S, "List ID"}, {I, "Element Index"}}),
      Op(3, "ListSum(", 2, 27000, {{S, "List ID"}}),
      Op(4, "asString$(", 1, 27000, {{S, "List ID"}, {I, "Max length of list"}}),
      Op(5, "BinomialCoefficient(", 2, 27000, {{kExprParamNumber, "n"}, {kExprParamNumber, "m"}}),
  };
  return d;
}

std::vector<ScriptValue> FakeScriptHost::Record(const std::string& what, int code,
                                                const std::vector<ScriptArg>& args) {
  std::vector<ScriptValue> values;
  std::string line = what + " " + std::to_string(code);
  for (const ScriptArg& arg : args) {
    values.push_back(arg.value());
    const ScriptValue& v = values.back();
    line += " ";
    line += v.IsText() ? "\"" + v.text + "\"" : FormatValue(v);
  }
  calls.push_back(line);
  return values;
}

void FakeScriptHost::RunAction(int code, const std::vector<ScriptArg>& args) {
  Record("action", code, args);
  auto effect = actionEffects.find(code);
  if (effect != actionEffects.end() && observer_ != nullptr) effect->second(*observer_);
}

bool FakeScriptHost::TestCondition(int code, const std::vector<ScriptArg>& argList) {
  const std::vector<ScriptValue> args = Record("condition", code, argList);
  if (code == 0) return args.size() == 2 && ValueAsInteger(args[0]) == ValueAsInteger(args[1]);
  return true;
}

ScriptValue FakeScriptHost::Evaluate(int code, const std::vector<ScriptArg>& args) {
  Record("expression", code, args);
  auto found = expressionResults.find(code);
  return found == expressionResults.end() ? ScriptValue::Integer(0) : found->second;
}

bool FakeScriptHost::SetListObject(const std::string& name, const std::vector<std::string>& items,
                                   std::string* error) {
  if (name == "Tallyra 1") {
    *error = "the object itself is named \"Tallyra 1\"";
    return false;
  }
  listObjects[name] = items;
  return true;
}

bool FakeScriptHost::GetListObject(const std::string& name, std::vector<std::string>* items) {
  auto found = listObjects.find(name);
  if (found == listObjects.end()) return false;
  *items = found->second;
  return true;
}

}  // namespace tallyra::script
