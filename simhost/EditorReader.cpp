#include "simhost/EditorReader.h"

#include <cstring>
#include <utility>

#include "abi/Operations.h"
#include "platform/Win32.h"
#include "simhost/CallChecker.h"

namespace tallyra::simhost {

namespace {

// The fill of editor buffers, to see what the module wrote.
constexpr char kEditorFill = '\xA5';
constexpr std::size_t kEditorGuard = 64;

}  // namespace

bool OperationInfo::ParamIsText(std::size_t j) const { return TypeTakesText(param_type(j)); }

const std::vector<OperationInfo>& ModuleDescription::operations(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return conditions;
    case OperationKind::kAction:
      return actions;
    case OperationKind::kExpression:
      break;
  }
  return expressions;
}

const MenuEntry& ModuleDescription::menu(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return condition_menu;
    case OperationKind::kAction:
      return action_menu;
    case OperationKind::kExpression:
      break;
  }
  return expression_menu;
}

int OperationCount(const RunObjectInfoRecord& info, OperationKind kind) {
  switch (kind) {
    case OperationKind::kCondition:
      return info.conditionCount;
    case OperationKind::kAction:
      return info.actionCount;
    case OperationKind::kExpression:
      break;
  }
  return info.expressionCount;
}

EditorReader::EditorReader(const ModuleExports& exports, HostEditor& editor,
                           unsigned char* edit_data, std::vector<std::string>& violations)
    : exports_(exports), editor_(editor), edit_data_(edit_data), violations_(violations) {}

HostWord EditorReader::Infos(HostWord query) { return exports_.GetInfos(query); }

std::vector<uint16_t> EditorReader::InfoRecord(OperationKind kind, int code) {
  const HostWord word = static_cast<HostWord>(code);
  uint16_t* code_word = nullptr;
  switch (kind) {
    case OperationKind::kCondition:
      code_word = exports_.GetConditionInfos(&editor_, word);
      break;
    case OperationKind::kAction:
      code_word = exports_.GetActionInfos(&editor_, word);
      break;
    case OperationKind::kExpression:
      code_word = exports_.GetExpressionInfos(&editor_, word);
      break;
  }
  if (code_word == nullptr) return {};
  const tallyra::InfoRecord record(
      code_word - tallyra::InfoRecord::kCodeWord);  // menu id and string id lie before
  return std::vector<uint16_t>(record.words(), record.words() + record.word_count());
}

MenuEntry EditorReader::Menu(OperationKind kind) {
  void* handle = nullptr;
  switch (kind) {
    case OperationKind::kCondition:
      handle = exports_.GetConditionMenu(&editor_, nullptr, edit_data_);
      break;
    case OperationKind::kAction:
      handle = exports_.GetActionMenu(&editor_, nullptr, edit_data_);
      break;
    case OperationKind::kExpression:
      handle = exports_.GetExpressionMenu(&editor_, nullptr, edit_data_);
      break;
  }
  if (handle == nullptr) {
    violations_.push_back(std::string("the ") + OperationKindName(kind) + " menu is null");
    return MenuEntry{MenuEntry::Kind::kSubmenu, 0, "", 0, {}};
  }
  HMENU menu = static_cast<HMENU>(handle);
  MenuEntry tree = ReadMenu(menu);
  DestroyMenu(menu);  // the host owns what it is given
  return tree;
}

int EditorReader::CodeFromMenu(OperationKind kind, uint32_t menu_id) {
  switch (kind) {
    case OperationKind::kCondition:
      return exports_.GetConditionCodeFromMenu(&editor_, menu_id);
    case OperationKind::kAction:
      return exports_.GetActionCodeFromMenu(&editor_, menu_id);
    case OperationKind::kExpression:
      break;
  }
  return exports_.GetExpressionCodeFromMenu(&editor_, menu_id);
}

template <typename Write>
std::optional<std::string> EditorReader::EditorText(const char* what, uint32_t max_length,
                                                    Write write) {
  std::vector<char> buffer(std::size_t{max_length} + kEditorGuard, kEditorFill);
  write(buffer.data(), static_cast<HostWord>(max_length));
  for (std::size_t i = max_length; i < buffer.size(); ++i) {
    if (buffer[i] != kEditorFill) {
      violations_.push_back(std::string(what) + " wrote past the maximum length " +
                            std::to_string(max_length));
      break;
    }
  }
  bool touched = false;
  for (std::size_t i = 0; i < max_length; ++i) touched = touched || buffer[i] != kEditorFill;
  if (!touched) return std::nullopt;
  const void* end = std::memchr(buffer.data(), '\0', max_length);
  if (end == nullptr) {
    violations_.push_back(std::string(what) + " left no terminator within the maximum length");
    return std::string(buffer.data(), max_length);
  }
  return std::string(buffer.data(), static_cast<const char*>(end) - buffer.data());
}

std::optional<std::string> EditorReader::DisplayString(OperationKind kind, int code,
                                                       uint32_t max_length) {
  const HostWord word = static_cast<HostWord>(code);
  return EditorText("a display string", max_length, [&](char* buffer, HostWord max) {
    switch (kind) {
      case OperationKind::kCondition:
        exports_.GetConditionString(&editor_, word, buffer, max);
        break;
      case OperationKind::kAction:
        exports_.GetActionString(&editor_, word, buffer, max);
        break;
      case OperationKind::kExpression:
        exports_.GetExpressionString(&editor_, word, buffer, max);
        break;
    }
  });
}

std::optional<std::string> EditorReader::Title(OperationKind kind, int code, int param,
                                               uint32_t max_length) {
  const HostWord word = static_cast<HostWord>(code);
  const HostWord param_word = static_cast<HostWord>(param);
  return EditorText("a title", max_length, [&](char* buffer, HostWord max) {
    switch (kind) {
      case OperationKind::kCondition:
        exports_.GetConditionTitle(&editor_, word, param_word, buffer, max);
        break;
      case OperationKind::kAction:
        exports_.GetActionTitle(&editor_, word, param_word, buffer, max);
        break;
      case OperationKind::kExpression:
        exports_.GetExpressionTitle(&editor_, word, buffer, max);
        break;
    }
  });
}

std::optional<std::string> EditorReader::ExpressionParam(int code, int param, uint32_t max_length) {
  return EditorText("an expression parameter", max_length, [&](char* buffer, HostWord max) {
    exports_.GetExpressionParam(&editor_, static_cast<HostWord>(code), static_cast<HostWord>(param),
                                buffer, max);
  });
}

HostRect EditorReader::ObjectRect(HostRect rect) {
  exports_.GetObjectRect(&editor_, &rect, nullptr, edit_data_);
  return rect;
}

std::vector<uint16_t> EditorReader::DebugTree(HostObjectHeader* header) {
  const uint16_t* words = exports_.GetDebugTree(header);
  std::vector<uint16_t> tree;
  if (words == nullptr) return tree;
  for (std::size_t i = 0; i < 256; ++i) {
    tree.push_back(words[i]);
    if (words[i] == 0xFFFF) break;
  }
  return tree;
}

HostWord EditorReader::Properties() { return exports_.GetProperties(&editor_, edit_data_, 0); }

ModuleDescription EditorReader::Describe(const RunObjectInfoRecord& run_info,
                                         uint16_t run_data_size) {
  ModuleDescription description;
  constexpr std::size_t k_text_bytes = 1024;
  std::vector<char> texts[5];
  for (auto& text : texts) text.assign(k_text_bytes, '\0');
  exports_.GetObjInfos(&editor_, edit_data_, texts[0].data(), texts[1].data(), texts[2].data(),
                       texts[3].data(), texts[4].data());
  description.name = texts[0].data();
  description.author = texts[1].data();
  description.copyright = texts[2].data();
  description.comment = texts[3].data();
  description.web = texts[4].data();
  description.run_info = run_info;
  description.run_data_size = run_data_size;
  constexpr uint32_t k_max_length = 256;
  for (OperationKind kind : kOperationKinds) {
    std::vector<OperationInfo>& operations =
        kind == OperationKind::kCondition ? description.conditions
        : kind == OperationKind::kAction  ? description.actions
                                          : description.expressions;
    for (int code = 0; code < OperationCount(run_info, kind); ++code) {
      OperationInfo info;
      info.kind = kind;
      info.code = code;
      info.record = InfoRecord(kind, code);
      if (info.record.size() < 5) continue;
      info.display_string = DisplayString(kind, code, k_max_length).value_or("");
      for (std::size_t j = 0; j < info.param_count(); ++j) {
        const int param = static_cast<int>(j);
        info.param_titles.push_back((kind == OperationKind::kExpression
                                         ? ExpressionParam(code, param, k_max_length)
                                         : Title(kind, code, param, k_max_length))
                                        .value_or(""));
      }
      operations.push_back(std::move(info));
    }
  }
  description.condition_menu = Menu(OperationKind::kCondition);
  description.action_menu = Menu(OperationKind::kAction);
  description.expression_menu = Menu(OperationKind::kExpression);
  return description;
}

}  // namespace tallyra::simhost
