// The handful of Windows scalar types and constants that the library's algorithms are written
// in. Sizes are fixed where the original fixes them (DWORD is 32 bits, not `unsigned long`).
#pragma once

#include <cstdint>

typedef std::uint32_t DWORD;
typedef std::uintptr_t DWORD_PTR;
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned short INTERNET_PORT;
typedef void* LPVOID;
typedef const char* LPCTSTR;
typedef char* LPTSTR;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
