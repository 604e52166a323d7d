// Export macro of Basekit.dll. Without Windows (the native test build) the
// classes are plain.
#pragma once
#if defined(_WIN32)
#if defined(BASEKIT_BUILD)
#define BASEKIT_API __declspec(dllexport)
#else
#define BASEKIT_API __declspec(dllimport)
#endif
#else
#define BASEKIT_API
#endif
