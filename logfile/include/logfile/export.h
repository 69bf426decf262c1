// Marks the classes and functions that the Quillmere shared library exports;
// everything else in the library stays hidden.
#pragma once

#if defined(_WIN32)
#if defined(QUILLMERE_BUILDING)
#define QUILLMERE_API __declspec(dllexport)
#else
#define QUILLMERE_API __declspec(dllimport)
#endif
#else
#define QUILLMERE_API __attribute__((visibility("default")))
#endif
