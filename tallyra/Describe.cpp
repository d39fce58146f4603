#include "tallyra/Describe.h"

#include <cstdio>
#include <vector>

namespace tallyra::script {

namespace {

std::string Hex4(uint16_t value) {
  char buffer[8];
  std::snprintf(buffer, sizeof(buffer), "0x%04X", static_cast<unsigned>(value));
  return buffer;
}

std::string Pad(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

void DescribeMenu(const std::vector<MenuEntry>& entries, const char* kind, int depth,
                  std::string* out) {
  const std::string indent(2 * static_cast<size_t>(depth), ' ');
  for (const MenuEntry& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::kSeparator:
        *out += indent + "--------\n";
        break;
      case MenuEntry::Kind::kSubmenu:
        *out += indent + e.text + "\n";
        DescribeMenu(e.entries, kind, depth + 1, out);
        break;
      case MenuEntry::Kind::kItem:
        *out += Pad(indent + e.text, 44) + std::to_string(e.id) +
                (e.code >= 0 ? "  " + std::string(kind) + " " + std::to_string(e.code)
                             : "  (no code)") +
                "\n";
        break;
    }
  }
}

std::string TypeName(OperationKind kind, uint16_t type) {
  if (ParameterTakesText(kind, type)) return "text";
  if (kind == OperationKind::kExpression) {
    return type == kTypeExpressionInteger || type == kTypeExpressionNumber ? "integer" : "number";
  }
  return "number";
}

std::string ResultName(uint16_t flags) {
  switch (flags) {
    case kExpressionResultInteger:
      return "integer result";
    case kExpressionResultText:
      return "text result";
    case kExpressionResultNumber:
      return "number result";
  }
  return "";
}

void DescribeOperations(const std::vector<OperationDescription>& operations, OperationKind kind,
                        std::string* out) {
  for (const OperationDescription& op : operations) {
    std::string flags = "flags " + Hex4(op.flags);
    if (kind == OperationKind::kExpression && !ResultName(op.flags).empty()) {
      flags += " (" + ResultName(op.flags) + ")";
    }
    *out += Pad("  " + std::to_string(op.code), 6) + "\"" + op.display + "\"\n";
    *out += "      " + flags + ", menu id " + std::to_string(op.menu_id) + "\n";
    for (size_t i = 0; i < op.params.size(); ++i) {
      const ParamDescription& p = op.params[i];
      *out += "      %" + std::to_string(i) + "  type " + Pad(std::to_string(p.type), 3) + " " +
              Pad(TypeName(kind, p.type), 8) + "\"" + p.title + "\"\n";
    }
  }
}

}  // namespace

std::string DescribeObject(const ObjectDescription& d) {
  std::string out;
  constexpr KindArray<const char*> kMenuTitles = {
      {"Condition menu", "Action menu", "Expression menu"}};
  constexpr KindArray<const char*> kItemKinds = {{"condition", "action", "expression"}};
  constexpr KindArray<const char*> kListTitles = {{"Conditions", "Actions", "Expressions"}};
  for (OperationKind kind : kOperationKinds) {
    const std::vector<MenuEntry>& entries = d.menus[kind].entries;
    out += std::string(kMenuTitles[kind]) + "\n";
    if (entries.empty()) out += "  (no items)\n";
    DescribeMenu(entries, kItemKinds[kind], 1, &out);
    out += "\n";
  }
  for (OperationKind kind : kOperationKinds) {
    const std::vector<OperationDescription>& operations = d.operations[kind];
    if (kind != OperationKind::kCondition) out += "\n";
    out += std::string(kListTitles[kind]) + " (" + std::to_string(operations.size()) + ")\n";
    DescribeOperations(operations, kind, &out);
  }
  return out;
}

}  // namespace tallyra::script
