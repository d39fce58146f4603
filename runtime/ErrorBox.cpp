#include "runtime/ErrorBox.h"

#include "platform/Win32.h"

void ShowErrorBox(const char* caption, const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}
