/// \file
/// Symbol export and calling-convention macros of the public interface.
#pragma once

/// Only the exports are visible outside the shared library (it is built with
/// -fvisibility=hidden; a DLL exports only what is marked); everything else stays internal.
#if defined(_WIN32) && defined(VANTAAPI_BUILDING)
#define VANTA_API __declspec(dllexport)
#elif defined(_WIN32)
#define VANTA_API __declspec(dllimport)
#elif defined(VANTAAPI_BUILDING)
#define VANTA_API __attribute__((visibility("default")))
#else
#define VANTA_API
#endif

/// The exports keep the standard calling-convention marker of their signatures. On Windows it
/// is the system's own (the one <windows.h> defines, whichever of the two comes first); on
/// other platforms there is only one convention, so it expands to nothing.
#ifndef WINAPI
#if defined(_WIN32)
#define WINAPI __stdcall
#else
#define WINAPI
#endif
#endif
