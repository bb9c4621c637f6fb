// The handful of Windows scalar types and constants that the library's algorithms are written
// in. Sizes are fixed where the original fixes them (DWORD is 32 bits, not `unsigned long`).
// On Windows the system's headers declare the same names: each type here is then exactly the
// system's, so that both may be seen in one file.
#pragma once

#include <cstdint>
#include <type_traits>

// `unsigned long` where it is 32 bits (Windows, as the system declares DWORD), else uint32_t.
typedef std::conditional_t<sizeof(unsigned long) == 4, unsigned long, std::uint32_t> DWORD;
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
