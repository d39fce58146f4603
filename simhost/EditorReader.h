// EditorReader: what the host's editor learns of the module through its
// editor exports: the information record, display string and parameter
// titles of each operation, the three menus, the object's texts, rectangle,
// debug tree and properties.
//
// Texts are asked into buffers filled with a marker beyond the maximum length
// handed over, so that a module that writes past it is caught; that, a text
// left without its terminator and a null menu are added to the violations,
// and the reading goes on. A menu handed over is owned by the reader, which
// destroys it once read. The reader borrows the exports, the editor record,
// the edit data and the violations; they must outlive it. It does not mark its
// host active: its caller does, around each reading.
#ifndef TALLYRA_SIMHOST_EDITORREADER_H_
#define TALLYRA_SIMHOST_EDITORREADER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "abi/KindArray.h"
#include "abi/ObjectDescription.h"
#include "simhost/HostValues.h"
#include "simhost/MenuTree.h"
#include "simhost/ModuleLibrary.h"

namespace tallyra::simhost {

// Everything the module tells the host about itself.
struct ModuleDescription {
  std::string name;  // GetObjInfos buffers 1 to 5
  std::string author;
  std::string copyright;
  std::string comment;
  std::string web;
  RunObjectInfoRecord run_info{};
  uint16_t run_data_size = 0;
  ObjectDescription object;  // the operations, and the menus with their items' codes
};

// The number of operations of that kind that the record registers.
int OperationCount(const RunObjectInfoRecord& info, OperationKind kind);

class EditorReader {
 public:
  EditorReader(const ModuleExports& exports, HostEditor& editor, unsigned char* edit_data,
               std::vector<std::string>& violations);
  EditorReader(const EditorReader&) = delete;
  EditorReader& operator=(const EditorReader&) = delete;

  HostWord Infos(HostWord query);
  // Everything at once, with the record and size that the host read at load.
  ModuleDescription Describe(const RunObjectInfoRecord& run_info, uint16_t run_data_size);
  // The information record of one code, menu id first; empty when the module
  // answers a null record.
  std::vector<uint16_t> InfoRecord(OperationKind kind, int code);
  // The menu, read back into a tree (and then destroyed, as its owner).
  MenuEntry Menu(OperationKind kind);
  int CodeFromMenu(OperationKind kind, uint32_t menu_id);
  // Editor texts, asked with this maximum length. nullopt when the module left
  // the buffer untouched.
  std::optional<std::string> DisplayString(OperationKind kind, int code, uint32_t max_length);
  // Parameter titles: GetConditionTitle / GetActionTitle; for expressions
  // GetExpressionTitle (which takes no parameter).
  std::optional<std::string> Title(OperationKind kind, int code, int param, uint32_t max_length);
  std::optional<std::string> ExpressionParam(int code, int param, uint32_t max_length);
  HostRect ObjectRect(HostRect rect);
  // The tree of `header`'s object (null when there is none), up to its end mark.
  std::vector<uint16_t> DebugTree(HostObjectHeader* header);
  HostWord Properties();

 private:
  // Asks the module for the code of each item of `menu` and its submenus.
  void AddItemCodes(OperationKind kind, MenuEntry& menu);
  // Asks `write` for a text into a marked buffer and checks what it wrote.
  template <typename Write>
  std::optional<std::string> EditorText(const char* what, uint32_t max_length, Write write);

  // The kinds' exports that share a signature.
  const ModuleExports& exports_;
  // The kinds' exports that share a signature.
  const KindArray<GetConditionInfosFn> infos_;
  const KindArray<GetConditionMenuFn> menus_;
  const KindArray<GetConditionCodeFromMenuFn> codes_from_menu_;
  const KindArray<GetConditionStringFn> strings_;
  HostEditor& editor_;
  unsigned char* edit_data_;
  std::vector<std::string>& violations_;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_EDITORREADER_H_
