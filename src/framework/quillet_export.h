#pragma once
// Export markers for the framework's libraries and for the module.
// Everything else stays hidden (the build sets hidden visibility by default).
#if defined(_WIN32)
#define QUILLET_DECL_EXPORT __declspec(dllexport)
#define QUILLET_DECL_IMPORT __declspec(dllimport)
#else
#define QUILLET_DECL_EXPORT __attribute__((visibility("default")))
#define QUILLET_DECL_IMPORT __attribute__((visibility("default")))
#endif

#if defined(QUILLET_LOG_BUILD)
#define QUILLET_LOG_API QUILLET_DECL_EXPORT
#else
#define QUILLET_LOG_API QUILLET_DECL_IMPORT
#endif

#if defined(QUILLET_CIMOM_BUILD)
#define QUILLET_CIMOM_API QUILLET_DECL_EXPORT
#else
#define QUILLET_CIMOM_API QUILLET_DECL_IMPORT
#endif

// The module's objects are also linked statically into its tests; there the
// marker must neither export nor import.
#if defined(QUILLET_MELLANOX_BUILD)
#define QUILLET_MELLANOX_API QUILLET_DECL_EXPORT
#elif defined(QUILLET_MELLANOX_STATIC)
#define QUILLET_MELLANOX_API
#else
#define QUILLET_MELLANOX_API QUILLET_DECL_IMPORT
#endif
