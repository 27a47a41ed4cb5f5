#pragma once
// Types and constants of the window-system layer.  They keep the Win32 shapes
// and numeric values so that the shell reads like a Win32 program; nothing
// here depends on the toolkit behind the layer.

#include <cstdint>

struct WinWindow;  // opaque: a window of the layer
struct WinMenu;    // opaque: a menu or menu bar
struct WinAccel;   // opaque: an accelerator table
struct WinCanvas;  // opaque: a drawing surface
struct WinGdiObject;  // opaque: a bitmap, pen, brush or font of a canvas
struct WinDrop;       // opaque: the files of one drop
struct WinInstance;

using HWND = WinWindow*;
using HMENU = WinMenu*;
using HACCEL = WinAccel*;
using HDC = WinCanvas*;
using HINSTANCE = WinInstance*;
using HGDIOBJ = WinGdiObject*;
using HBITMAP = WinGdiObject*;
using HPEN = WinGdiObject*;
using HBRUSH = WinGdiObject*;
using HDROP = WinDrop*;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD = std::uint32_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using BOOL = int;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, std::uintptr_t, DWORD);

// A rectangle in pixels; right and bottom lie just outside it.
struct RECT {
  int left, top, right, bottom;  // edges, pixels
};
// A point in pixels.
struct POINT {
  int x, y;  // coordinates, pixels
};

// An extent in pixels.
struct SIZE {
  int cx, cy;  // width and height, pixels
};

// What BeginPaint hands out: the canvas of the window and the area to paint.
struct PAINTSTRUCT {
  HDC hdc;       // canvas of the window's client area
  int fErase;    // non-zero when the background still needs erasing
  RECT rcPaint;  // area to paint, client pixels
};

// One menu item's data for Win_SetMenuItemInfo / Win_GetMenuItemInfo; only the
// fields named by fMask are used.
struct MENUITEMINFOA {
  UINT cbSize;      // sizeof the record, set by the caller
  UINT fMask;       // MIIM_* bits
  UINT fType;       // MFT_STRING or MFT_SEPARATOR
  UINT fState;      // MFS_* bits
  UINT wID;         // command id
  HMENU hSubMenu;   // popup of the item, or null
  char* dwTypeData; // text (set: read from here; get: written here, cch bytes)
  UINT cch;         // size of dwTypeData when getting
};

// The file dialogs' request and answer, as the common dialogs take them.
struct OPENFILENAMEA {
  DWORD lStructSize;        // sizeof the record, set by the caller
  HWND hwndOwner;           // window the dialog is modal to
  HINSTANCE hInstance;      // program instance (unused by the layer)
  const char* lpstrFilter;  // pairs of NUL-terminated description and pattern, ended by ""
  DWORD nFilterIndex;       // 1-based preselected pair in, chosen pair out (0: none)
  char* lpstrFile;          // in: the proposed name; out: the chosen path
  DWORD nMaxFile;           // size of lpstrFile in bytes
  const char* lpstrTitle;   // dialog caption, or null
  DWORD Flags;              // OFN_* bits
  const char* lpstrDefExt;  // appended (with a dot) to a chosen name without extension
};

// One queued message as the message loop takes it.
struct MSG {
  HWND hwnd;      // window it is for, null for a thread message
  UINT message;   // WM_* code
  WPARAM wParam;  // first parameter, meaning by message
  LPARAM lParam;  // second parameter, meaning by message
};

// Range, page and position of a scroll bar; only the fields named by fMask
// are set or filled.
struct SCROLLINFO {
  UINT cbSize;     // sizeof the record, set by the caller
  UINT fMask;      // SIF_* bits
  int nMin;        // lowest position
  int nMax;        // highest position of the range
  UINT nPage;      // page size; the thumb reaches nMax - nPage + 1 at most
  int nPos;        // thumb position
  int nTrackPos;   // position while the thumb is being dragged
};

// One keyboard shortcut of an accelerator table.
struct ACCEL {
  unsigned char fVirt;  // FVIRTKEY, FCONTROL, FSHIFT, FALT bits
  unsigned short key;   // virtual key code
  unsigned short cmd;   // command id sent as WM_COMMAND
};

// A window class as Win_RegisterClass takes it.
struct WNDCLASSA {
  UINT style;           // CS_* bits
  WNDPROC lpfnWndProc;  // window procedure of the class's windows
  int cbClsExtra;       // extra class bytes (unused by the layer)
  int cbWndExtra;       // extra window bytes (unused by the layer)
  HINSTANCE hInstance;  // program instance
  const char* hIcon;  // icon resource name
  int hCursor;        // cursor id (IDC_ARROW)
  int hbrBackground;  // system colour index + 1
  const char* lpszMenuName;   // menu resource name (unused by the layer)
  const char* lpszClassName;  // name Win_CreateWindowEx is given
};

// Packing of message parameters, as Win32 packs them.
constexpr unsigned LOWORD(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFFu); }
constexpr unsigned HIWORD(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFFu); }
constexpr std::intptr_t MAKELONG(unsigned lo, unsigned hi) {
  return static_cast<std::intptr_t>(static_cast<std::uint32_t>((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16)));
}
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_MENUSELECT = 0x011F;  // LOWORD(wParam) item id, HIWORD flags (0xFFFF: closed), lParam menu
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
// The pointer left the client area (sent every time, no tracking request needed).
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_MOUSEWHEEL = 0x020A;  // HIWORD(wParam): signed delta (120 a notch), LOWORD: MK_*; lParam: screen x, y
constexpr UINT WM_DROPFILES = 0x0233;   // wParam: the HDROP
constexpr int WHEEL_DELTA = 120;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE types.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_MAXIMIZE = 0x01000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_HSCROLL = 0x00100000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Scroll bars.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;

// Menus.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_CHECKED = 0x0008;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;

// Child controls: predefined classes "BUTTON", "EDIT", "SCROLLBAR" and
// "msctls_statusbar32"; a child's control id is passed in the menu argument.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr UINT BN_CLICKED = 0;
constexpr DWORD ES_NUMBER = 0x2000;
constexpr UINT EN_CHANGE = 0x0300;
constexpr DWORD SBARS_SIZEGRIP = 0x0100;
constexpr UINT SB_SETTEXTA = 0x0401;   // wParam: part | type bits; lParam: text
constexpr UINT SB_GETTEXTA = 0x0402;   // wParam: part; lParam: buffer (at least 256 bytes); returns the length
constexpr UINT SB_SETPARTS = 0x0404;   // wParam: count; lParam: int right edges (-1: to the right end)
constexpr UINT SB_GETPARTS = 0x0406;   // wParam: count wanted; lParam: int buffer; returns the count
constexpr UINT SBT_NOBORDERS = 0x0100;

// Canvas.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int PS_SOLID = 0;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr DWORD SRCCOPY = 0x00CC0020u;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

// File dialog flags.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002u;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008u;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000u;

// Accelerators and virtual keys.
constexpr unsigned char FVIRTKEY = 0x01;
constexpr unsigned char FSHIFT = 0x04;
constexpr unsigned char FCONTROL = 0x08;
constexpr unsigned char FALT = 0x10;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F4 = 0x73;
constexpr int VK_F7 = 0x76;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_ADD = 0x6B;        // the keypad's +
constexpr int VK_SUBTRACT = 0x6D;   // the keypad's -
constexpr int VK_OEM_PLUS = 0xBB;   // the main keyboard's + (and = beside it)
constexpr int VK_OEM_MINUS = 0xBD;  // the main keyboard's -

// Mouse key state bits of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Message boxes.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONERROR = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONWARNING = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr int GWL_HWNDPARENT = -8;
constexpr int IDC_ARROW = 32512;
constexpr int COLOR_MENU = 4;
