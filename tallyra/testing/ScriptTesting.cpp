#include "tallyra/testing/ScriptTesting.h"

#include <utility>

#include "abi/OperationCodes.h"
#include "extension/Catalogue.h"

namespace tallyra::script {

ObjectDescription RegistryDescription() {
  ObjectDescription d;
  for (OperationKind kind : kOperationKinds) {
    for (const OperationEntry& row : CatalogueOf(kind)) {
      OperationDescription info;
      info.kind = kind;
      info.code = row.code;
      info.display = row.display;
      info.flags = row.flags;
      info.menu_id = MenuIdOf(kind, static_cast<std::size_t>(row.code));
      for (std::size_t j = 0; j < row.param_count; ++j) {
        info.params.push_back(ParamDescription{row.params[j].type, row.params[j].title});
      }
      d.operations[kind].push_back(std::move(info));
    }
  }
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
  auto effect = action_effects.find(code);
  if (effect != action_effects.end() && observer_ != nullptr) effect->second(*observer_);
}

bool FakeScriptHost::TestCondition(int code, const std::vector<ScriptArg>& arg_list) {
  const std::vector<ScriptValue> args = Record("condition", code, arg_list);
  if (code == CodeOf(ConditionCode::kEqual)) {
    return args.size() == 2 && ValueAsInteger(args[0]) == ValueAsInteger(args[1]);
  }
  return true;
}

ScriptValue FakeScriptHost::Evaluate(int code, const std::vector<ScriptArg>& args) {
  Record("expression", code, args);
  auto found = expression_results.find(code);
  return found == expression_results.end() ? ScriptValue::Integer(0) : found->second;
}

bool FakeScriptHost::SetListObject(const std::string& name, const std::vector<std::string>& items,
                                   std::string* error) {
  if (name == "Tallyra 1") {
    *error = "the object itself is named \"Tallyra 1\"";
    return false;
  }
  list_objects[name] = items;
  return true;
}

bool FakeScriptHost::GetListObject(const std::string& name, std::vector<std::string>* items) {
  auto found = list_objects.find(name);
  if (found == list_objects.end()) return false;
  *items = found->second;
  return true;
}

}  // namespace tallyra::script
