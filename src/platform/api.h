#pragma once
// What the module (libzorvax) exports: its entry points and the interface its hosts use. All
// else stays inside the module.
#if defined(_WIN32)
#define ZX_API
#else
#define ZX_API __attribute__((visibility("default")))
#endif
