// The calling convention of everything that crosses the module boundary: the
// exports, the registered routines and the host's own services. On 32-bit
// Windows that is __stdcall; elsewhere there is only one convention.
#ifndef TALLYRA_ABI_CALLINGCONVENTION_H_
#define TALLYRA_ABI_CALLINGCONVENTION_H_

#if defined(_WIN32) && !defined(_WIN64)
#define TLY_CALL __stdcall
#else
#define TLY_CALL
#endif

// Marks a function that the module exports. On Windows the module-definition
// file names the exports (so that they keep their plain names); elsewhere the
// module is built with hidden visibility and only these are seen.
#if defined(_WIN32)
#define TLY_EXPORT
#else
#define TLY_EXPORT __attribute__((visibility("default")))
#endif

#endif  // TALLYRA_ABI_CALLINGCONVENTION_H_
