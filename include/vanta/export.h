/// \file
/// Symbol export and calling-convention macros of the public interface.
#pragma once

/// Only the exports are visible outside the shared library (it is built with
/// -fvisibility=hidden); everything else stays internal.
#if defined(VANTAAPI_BUILDING)
#define VANTA_API __attribute__((visibility("default")))
#else
#define VANTA_API
#endif

/// The exports keep the standard calling-convention marker of their signatures; on this
/// platform there is only one convention, so it expands to nothing.
#ifndef WINAPI
#define WINAPI
#endif
