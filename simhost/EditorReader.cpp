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

int OperationCount(const RunObjectInfoRecord& info, OperationKind kind) {
  const KindArray<int> counts = {{info.condition_count, info.action_count, info.expression_count}};
  return counts[kind];
}

EditorReader::EditorReader(const ModuleExports& exports, HostEditor& editor,
                           unsigned char* edit_data, std::vector<std::string>& violations)
    : exports_(exports),
      infos_{{exports.GetConditionInfos, exports.GetActionInfos, exports.GetExpressionInfos}},
      menus_{{exports.GetConditionMenu, exports.GetActionMenu, exports.GetExpressionMenu}},
      codes_from_menu_{{exports.GetConditionCodeFromMenu, exports.GetActionCodeFromMenu,
                        exports.GetExpressionCodeFromMenu}},
      strings_{{exports.GetConditionString, exports.GetActionString, exports.GetExpressionString}},
      editor_(editor),
      edit_data_(edit_data),
      violations_(violations) {}

HostWord EditorReader::Infos(HostWord query) { return exports_.GetInfos(query); }

std::vector<uint16_t> EditorReader::InfoRecord(OperationKind kind, int code) {
  uint16_t* code_word = infos_[kind](&editor_, static_cast<HostWord>(code));
  if (code_word == nullptr) return {};
  const tallyra::InfoRecord record(
      code_word - tallyra::InfoRecord::kCodeWord);  // menu id and string id lie before
  return std::vector<uint16_t>(record.words(), record.words() + record.word_count());
}

MenuEntry EditorReader::Menu(OperationKind kind) {
  void* handle = menus_[kind](&editor_, nullptr, edit_data_);
  if (handle == nullptr) {
    violations_.push_back(std::string("the ") + OperationKindName(kind) + " menu is null");
    MenuEntry empty;
    empty.kind = MenuEntry::Kind::kSubmenu;
    return empty;
  }
  HMENU menu = static_cast<HMENU>(handle);
  MenuEntry tree = ReadMenu(menu);
  DestroyMenu(menu);  // the host owns what it is given
  return tree;
}

int EditorReader::CodeFromMenu(OperationKind kind, uint32_t menu_id) {
  return codes_from_menu_[kind](&editor_, menu_id);
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
    strings_[kind](&editor_, word, buffer, max);
  });
}

std::optional<std::string> EditorReader::Title(OperationKind kind, int code, int param,
                                               uint32_t max_length) {
  const HostWord word = static_cast<HostWord>(code);
  const HostWord param_word = static_cast<HostWord>(param);
  return EditorText("a title", max_length, [&](char* buffer, HostWord max) {
    if (kind == OperationKind::kExpression) {
      exports_.GetExpressionTitle(&editor_, word, buffer, max);
    } else {
      (kind == OperationKind::kCondition ? exports_.GetConditionTitle : exports_.GetActionTitle)(
          &editor_, word, param_word, buffer, max);
    }
  });
}

std::optional<std::string> EditorReader::ExpressionParam(int code, int param, uint32_t max_length) {
  return EditorText("an expression parameter", max_length, [&](char* buffer, HostWord max) {
    exports_.GetExpressionParam(&editor_, static_cast<HostWord>(code), static_cast<HostWord>(param),
                                buffer, max);
  });
}

void EditorReader::AddItemCodes(OperationKind kind, MenuEntry& menu) {
  for (MenuEntry& entry : menu.entries) {
    if (entry.kind == MenuEntry::Kind::kItem) entry.code = CodeFromMenu(kind, entry.id);
    if (entry.kind == MenuEntry::Kind::kSubmenu) AddItemCodes(kind, entry);
  }
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
    for (int code = 0; code < OperationCount(run_info, kind); ++code) {
      OperationDescription operation;
      operation.kind = kind;
      operation.code = code;
      operation.record = InfoRecord(kind, code);
      if (operation.record.size() < 5) continue;
      const tallyra::InfoRecord record(operation.record.data());
      operation.display = DisplayString(kind, code, k_max_length).value_or("");
      operation.flags = record.flags();
      operation.menu_id = record.menu_id();
      for (std::size_t j = 0; j < record.param_count(); ++j) {
        const int param = static_cast<int>(j);
        ParamDescription described;
        described.type = record.param_type(j);
        described.title =
            (kind == OperationKind::kExpression ? ExpressionParam(code, param, k_max_length)
                                                : Title(kind, code, param, k_max_length))
                .value_or("");
        operation.params.push_back(std::move(described));
      }
      description.object.operations[kind].push_back(std::move(operation));
    }
  }
  for (OperationKind kind : kOperationKinds) {
    MenuEntry& menu = description.object.menus[kind];
    menu = Menu(kind);
    AddItemCodes(kind, menu);
  }
  return description;
}

}  // namespace tallyra::simhost
