#include "tallyra/Describe.h"

#include <gtest/gtest.h>

#include "tallyra/testing/ScriptTesting.h"

namespace tallyra::script {

namespace {

MenuEntry Item(const char* text, uint32_t id, int code) {
  MenuEntry e;
  e.text = text;
  e.id = id;
  e.code = code;
  return e;
}

MenuEntry Separator() {
  MenuEntry e;
  e.kind = MenuEntry::Kind::kSeparator;
  return e;
}

TEST(DescribeTest, MenusAreTreesAndOperationsListTheirParameters) {
  ObjectDescription d = RegistryDescription();
  MenuEntry inner;
  inner.kind = MenuEntry::Kind::kSubmenu;
  inner.text = "K-Sublist";
  inner.entries = {Item("Create", 25040, 4)};
  MenuEntry outer;
  outer.kind = MenuEntry::Kind::kSubmenu;
  outer.text = "'Virtual' Lists";
  outer.entries = {inner, Separator(), Item("Define list by equation", 25060, 6)};
  d.menus[OperationKind::kAction].entries = {Item("Append string to set", 25020, 2), outer,
                                             Item("Orphan", 25990, -1)};
  const std::string text = DescribeObject(d);

  EXPECT_NE(text.find("Condition menu\n"
                      "  (no items)\n"
                      "\n"
                      "Action menu\n"
                      "  Append string to set                      25020  action 2\n"
                      "  'Virtual' Lists\n"
                      "    K-Sublist\n"
                      "      Create                                25040  action 4\n"
                      "    --------\n"
                      "    Define list by equation                 25060  action 6\n"
                      "  Orphan                                    25990  (no code)\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Conditions (2)\n"
                      "  0   \"%o: %0 == %1\"\n"
                      "      flags 0x0220, menu id 26000\n"
                      "      %0  type 22  number  \"First number\"\n"
                      "      %1  type 22  number  \"Second number\"\n"
                      "  1   \"%o : On trigger\"\n"
                      "      flags 0x0000, menu id 26010\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  5   \"BinomialCoefficient(\"\n"
                      "      flags 0x0002 (number result), menu id 27050\n"
                      "      %0  type 2   integer \"n\"\n"),
            std::string::npos)
      << text;
}

}  // namespace

}  // namespace tallyra::script
