// The kernel's basic types and constants as the form code names them. On
// Windows these come from <windows.h>; elsewhere this header supplies the
// same names with the same sizes.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LPCSTR = const char *;
using LPCVOID = const void *;
using LPVOID = void *;
using LPDWORD = DWORD *;
using HANDLE = void *;
using HINSTANCE = void *;
using LPSTR = char *;

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES *;
using LPOVERLAPPED = OVERLAPPED *;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// The failure value of an open. A valid handle is never this and never zero.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(-1);

inline constexpr DWORD GENERIC_READ = 0x80000000U;
inline constexpr DWORD GENERIC_WRITE = 0x40000000U;
inline constexpr DWORD OPEN_EXISTING = 3;

inline constexpr int SW_SHOWDEFAULT = 10;

// The calling convention of the entry point; only 32-bit Windows has one to name.
#define WINAPI
