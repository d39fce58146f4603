#include "runtime/ListControlExchange.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "abi/HostAbi.h"
#include "lists/ConcreteList.h"
#include "platform/Win32.h"
#include "runtime/Appending.h"
#include "runtime/ErrorBox.h"
#include "runtime/RoutineIo.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"
#include "runtime/TextForm.h"

namespace {

// Room for a host object name of kHostNameChars characters and a NUL, as
// 8-bit text in any code page: a 16-bit character takes at most 4 bytes (a
// surrogate pair, two characters, 4 bytes in UTF-8; GB18030 4 bytes for one).
constexpr std::size_t kNameBufferBytes = 4 * kHostNameChars + 1;
// List box items shorter than this are read into one reused buffer.
constexpr std::size_t kItemBufferBytes = 64;

// True when the 16-bit text holds a surrogate without its partner: a text
// that no code page can write.
bool HasLoneSurrogate(const WCHAR* wide, int length) {
  for (int i = 0; i < length; ++i) {
    const bool high = wide[i] >= 0xD800 && wide[i] <= 0xDBFF;
    const bool low = wide[i] >= 0xDC00 && wide[i] <= 0xDFFF;
    if (low) return true;
    if (high) {
      if (i + 1 == length || !(wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)) return true;
      ++i;
    }
  }
  return false;
}

// The first length characters of a wide name and a NUL, converted whole to
// the host's code page in buffer. False when the conversion fails or cannot
// write every character as it is (one that the code page has not got would
// become '?', or a look-alike, and the name would read as another's).
bool ConvertWideName(UINT codePage, const WCHAR* wide, int length,
                     char (&buffer)[kNameBufferBytes]) {
  if (HasLoneSurrogate(wide, length)) return false;
  const int bytes = static_cast<int>(sizeof buffer);
  // UTF-8 and UTF-7 write every character, and take no report of a default
  // character; other code pages report one that they cannot write.
  if (codePage == CP_UTF8 || codePage == CP_UTF7) {
    return WideCharToMultiByte(codePage, 0, wide, length + 1, buffer, bytes, nullptr, nullptr) > 0;
  }
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length + 1, buffer,
                                          bytes, nullptr, &usedDefault);
  return written > 0 && !usedDefault;
}

// The object's name as 8-bit text in buffer: at most kHostNameChars
// characters (the host's name field), NUL-terminated. False when it has no
// 8-bit form: it then matches no name.
bool ReadObjectName(HostServices& host, const HostObjectView& object,
                    char (&buffer)[kNameBufferBytes]) {
  std::memset(buffer, 0, sizeof buffer);
  if (object.name == nullptr) return true;
  if (host.NamesAreWide()) {
    const auto* wide = static_cast<const WCHAR*>(object.name);
    int length = 0;
    while (length < static_cast<int>(kHostNameChars) && wide[length] != 0) ++length;
    // A copy ended by a NUL of its own: a name that fills the host's field
    // need not end in one.
    WCHAR copy[kHostNameChars + 1];
    std::memcpy(copy, wide, sizeof(WCHAR) * static_cast<std::size_t>(length));
    copy[length] = 0;
    const bool converted = ConvertWideName(host.NameCodePage(), copy, length, buffer);
    buffer[kNameBufferBytes - 1] = '\0';
    return converted;
  }
  const auto* narrow = static_cast<const char*>(object.name);
  for (std::size_t i = 0; i < kHostNameChars; ++i) {
    buffer[i] = narrow[i];
    if (narrow[i] == '\0') break;
  }
  return true;
}

HWND ListBoxOf(const HostObjectView& object) { return reinterpret_cast<HWND>(object.listBox); }

}  // namespace

bool FindHostListObject(const std::string& name, HostServices& host, HostObjectView* found) {
  const int32_t live = host.LiveObjectCount();
  uint32_t slot = 0;
  for (int32_t i = 0; i < live; ++i) {
    HostObjectView object;
    if (!host.NextLiveObject(&slot, &object)) break;
    if (object.identifier != kListObjectIdentifier) continue;
    char buffer[kNameBufferBytes];
    if (!ReadObjectName(host, object, buffer)) continue;
    if (std::strcmp(buffer, name.c_str()) == 0) {
      *found = object;
      return true;
    }
  }
  ShowErrorBox(kTallyraObjectErrorCaption, kMissingListObjectMessage);
  return false;
}

void ActionListObjectToSet(RunData& run, HostServices& host, WorkBudget& budget) {
  const std::string setName = FetchText(host);
  const std::string objectName = FetchText(host);
  // The set is created, or made concrete, even when the List object is missing.
  ListRef* slot = StoreOf(run).LookUpSet(setName, /*create=*/true);
  std::shared_ptr<ConcreteList> concrete = ConcreteFormForAppending(*slot, setName, budget);
  if (!concrete) return;
  if (concrete.get() != slot->get()) *slot = ListRef(concrete);

  HostObjectView object;
  if (!FindHostListObject(objectName, host, &object)) return;
  const HWND listBox = ListBoxOf(object);
  const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  char shortItem[kItemBufferBytes];
  std::vector<char> longItem;
  try {
    for (LRESULT i = 0; i < count; ++i) {
      const auto index = static_cast<WPARAM>(i);
      const LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, index, 0);
      char* buffer = shortItem;
      std::size_t bytes = sizeof shortItem;
      if (length >= static_cast<LRESULT>(kItemBufferBytes)) {
        longItem.assign(static_cast<std::size_t>(length) + 1, '\0');
        buffer = longItem.data();
        bytes = longItem.size();
      }
      buffer[0] = '\0';  // an item that cannot be read is taken as the empty text
      SendMessageA(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
      buffer[bytes - 1] = '\0';
      concrete->AppendText(std::string_view(buffer, std::strlen(buffer)));
      if (buffer != shortItem) std::vector<char>().swap(longItem);  // released once appended
    }
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(setName);  // the items read so far stay in the set
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(setName);
  }
}

void ActionSetToListObject(RunData& run, HostServices& host, WorkBudget& budget) {
  const std::string setName = FetchText(host);
  const std::string objectName = FetchText(host);
  const int32_t maximum = FetchInteger(host);
  if (maximum <= 0) ShowErrorBox(kTallyraObjectErrorCaption, kZeroMaximumMessage);
  const ListRef* set = StoreOf(run).LookUpSet(setName, /*create=*/false);
  if (set == nullptr) return;  // nothing to copy, and no name is made for it
  HostObjectView object;
  if (!FindHostListObject(objectName, host, &object)) return;
  const HWND listBox = ListBoxOf(object);
  const ListRef list = *set;
  const int32_t length = list->Length();
  int32_t count = length < maximum ? length : maximum;
  if (count == -1) count = maximum;  // an unbounded list gives exactly the maximum
  // No more than a list box takes in good time, no more bytes than a copy
  // may hold, and nothing that the call's budget cannot pay for.
  const int32_t wanted = count;
  if (count > kMaxListObjectItemsPerCall) count = kMaxListObjectItemsPerCall;
  uint64_t bytes = 0;
  int32_t added = 0;
  for (; added < count; ++added) {
    const Element element = list->ElementAt(static_cast<uint32_t>(added), budget);
    if (budget.Spent()) break;
    const std::string text = ElementText(element);
    bytes += ConcreteList::kCopyBytesPerElement + text.size();
    if (bytes > ConcreteList::kMaxCopyBytes) break;
    const LRESULT result =
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (result < 0) break;  // LB_ERR, LB_ERRSPACE: the list box takes no more
  }
  if (added < wanted) {
    ShowErrorBox(kTallyraObjectErrorCaption, setName + " is too large and so only its first " +
                                                 std::to_string(added) +
                                                 " elements were put into " + objectName);
  }
}
