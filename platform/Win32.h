// The Win32 functions that the module calls. On Windows they are the real ones;
// on Linux a small layer of this project's own (platform/linux/) stands in,
// written from what the module expects of them. The module includes this header
// and nothing else of the platform.
#ifndef TALLYRA_PLATFORM_WIN32_H_
#define TALLYRA_PLATFORM_WIN32_H_

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else  // the Linux layer

#include <cstddef>
#include <cstdint>

#define WINAPI
#define TLY_PLATFORM_API __attribute__((visibility("default")))

typedef int BOOL;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint16_t WCHAR;
typedef long LONG;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const WCHAR* LPCWCH;
typedef const char* LPCCH;
typedef BOOL* LPBOOL;
typedef void* HANDLE;
typedef void* HLOCAL;
typedef struct TlyWindow* HWND;
typedef struct TlyMenu* HMENU;
typedef struct TlyModule* HINSTANCE;
typedef HINSTANCE HMODULE;

#define TRUE 1
#define FALSE 0

// MessageBoxA
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ICONERROR 0x00000010u
#define MB_TASKMODAL 0x00002000u
#define IDOK 1

// Menus
#define MF_STRING 0x00000000u
#define MF_BYCOMMAND 0x00000000u
#define MF_ENABLED 0x00000000u
#define MF_UNCHECKED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_BITMAP 0x00000004u
#define MF_CHECKED 0x00000008u
#define MF_POPUP 0x00000010u
#define MF_OWNERDRAW 0x00000100u
#define MF_BYPOSITION 0x00000400u
#define MF_SEPARATOR 0x00000800u

// List boxes
#define LB_ADDSTRING 0x0180u
#define LB_GETTEXT 0x0189u
#define LB_GETTEXTLEN 0x018Au
#define LB_GETCOUNT 0x018Bu
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
#define LBS_SORT 0x0002u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_OWNERDRAWVARIABLE 0x0020u

// Memory
#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// Code pages
#define CP_ACP 0u
#define CP_UTF7 65000u
#define CP_UTF8 65001u
// WideCharToMultiByte: no look-alike for a character that the code page has not got.
#define WC_NO_BEST_FIT_CHARS 0x00000400u

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))

extern "C" {
TLY_PLATFORM_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

TLY_PLATFORM_API HMENU WINAPI CreateMenu();
TLY_PLATFORM_API HMENU WINAPI CreatePopupMenu();
TLY_PLATFORM_API BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, LPCSTR text);
TLY_PLATFORM_API int WINAPI GetMenuItemCount(HMENU menu);
TLY_PLATFORM_API UINT WINAPI GetMenuItemID(HMENU menu, int position);
TLY_PLATFORM_API int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int maxCount,
                                           UINT flags);
TLY_PLATFORM_API UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags);
TLY_PLATFORM_API HMENU WINAPI GetSubMenu(HMENU menu, int position);
TLY_PLATFORM_API BOOL WINAPI DestroyMenu(HMENU menu);

TLY_PLATFORM_API HLOCAL WINAPI LocalAlloc(UINT flags, size_t bytes);
TLY_PLATFORM_API HLOCAL WINAPI LocalFree(HLOCAL memory);

TLY_PLATFORM_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide,
                                                int wideCount, LPSTR multi, int multiBytes,
                                                LPCCH defaultChar, LPBOOL usedDefault);

TLY_PLATFORM_API LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);

// Used by hosts, not by the module: list boxes are created as "LISTBOX" windows.
TLY_PLATFORM_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                                             DWORD style, int x, int y, int width, int height,
                                             HWND parent, HMENU menu, HINSTANCE instance,
                                             void* param);
TLY_PLATFORM_API BOOL WINAPI DestroyWindow(HWND window);

// Linux only: how a host observes and answers the boxes that MessageBoxA shows.
// Without a handler a box is written to standard error and answered with OK.
typedef int (*TlyMessageBoxHandler)(void* context, HWND owner, LPCSTR text, LPCSTR caption,
                                    UINT type);
TLY_PLATFORM_API void TlySetMessageBoxHandler(TlyMessageBoxHandler handler, void* context);
}

#endif  // _WIN32

#endif  // TALLYRA_PLATFORM_WIN32_H_
