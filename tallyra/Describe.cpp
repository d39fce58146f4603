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

void DescribeMenu(const std::vector<ScriptMenuEntry>& entries, const char* kind, int depth,
                  std::string* out) {
  const std::string indent(2 * static_cast<size_t>(depth), ' ');
  for (const ScriptMenuEntry& e : entries) {
    switch (e.kind) {
      case ScriptMenuEntry::Kind::kSeparator:
        *out += indent + "--------\n";
        break;
      case ScriptMenuEntry::Kind::kSubmenu:
        *out += indent + e.text + "\n";
        DescribeMenu(e.children, kind, depth + 1, out);
        break;
      case ScriptMenuEntry::Kind::kItem:
        *out += Pad(indent + e.text, 44) + std::to_string(e.id) +
                (e.code >= 0 ? "  " + std::string(kind) + " " + std::to_string(e.code)
                             : "  (no code)") +
                "\n";
        break;
    }
  }
}

std::string TypeName(ScriptOpKind kind, uint16_t type) {
  if (ParameterTakesText(kind, type)) return "text";
  if (kind == ScriptOpKind::kExpression) {
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

void DescribeOperations(const std::vector<ScriptOpInfo>& operations, ScriptOpKind kind,
                        std::string* out) {
  for (const ScriptOpInfo& op : operations) {
    std::string flags = "flags " + Hex4(op.flags);
    if (kind == ScriptOpKind::kExpression && !ResultName(op.flags).empty()) {
      flags += " (" + ResultName(op.flags) + ")";
    }
    *out += Pad("  " + std::to_string(op.code), 6) + "\"" + op.display + "\"\n";
    *out += "      " + flags + ", menu id " + std::to_string(op.menuId) + "\n";
    for (size_t i = 0; i < op.params.size(); ++i) {
      const ScriptParam& p = op.params[i];
      *out += "      %" + std::to_string(i) + "  type " + Pad(std::to_string(p.type), 3) + " " +
              Pad(TypeName(kind, p.type), 8) + "\"" + p.title + "\"\n";
    }
  }
}

}  // namespace

std::string DescribeObject(const ObjectDescription& d) {
  std::string out;
  const struct {
    const char* title;
    const std::vector<ScriptMenuEntry>* entries;
    const char* kind;
  } menus[] = {
      {"Condition menu", &d.conditionMenu, "condition"},
      {"Action menu", &d.actionMenu, "action"},
      {"Expression menu", &d.expressionMenu, "expression"},
  };
  for (const auto& m : menus) {
    out += std::string(m.title) + "\n";
    if (m.entries->empty()) out += "  (no items)\n";
    DescribeMenu(*m.entries, m.kind, 1, &out);
    out += "\n";
  }
  out += "Conditions (" + std::to_string(d.conditions.size()) + ")\n";
  DescribeOperations(d.conditions, ScriptOpKind::kCondition, &out);
  out += "\nActions (" + std::to_string(d.actions.size()) + ")\n";
  DescribeOperations(d.actions, ScriptOpKind::kAction, &out);
  out += "\nExpressions (" + std::to_string(d.expressions.size()) + ")\n";
  DescribeOperations(d.expressions, ScriptOpKind::kExpression, &out);
  return out;
}

}  // namespace tallyra::script
