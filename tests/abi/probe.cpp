// A stand-in deliverable with one deliberate fault, chosen by a macro, to show
// that check_exports.sh rejects it.
#include <cstdint>
#include <vector>

#if defined(_WIN32)
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(PROBE_STDCALL)
#define PROBE_CALL __stdcall  // decorated by the linker as DLLInit@12
#else
#define PROBE_CALL
#endif

PROBE_EXPORT int32_t DLLGetSDKVersion(void) { return 200; }
PROBE_EXPORT int32_t DLLInitPrivate(void *, int32_t reference) { return reference; }
#if defined(PROBE_CXX_RUNTIME)
// Pulls operator new from the C++ runtime, which this probe links as a DLL.
PROBE_EXPORT int32_t DLLGetReferenceNumber(void) { return int32_t(std::vector<int32_t>(1).size()) - 1; }
#else
PROBE_EXPORT int32_t DLLGetReferenceNumber(void) { return 0; }
#endif
PROBE_EXPORT int32_t PROBE_CALL DLLInit(void **, void *, void *) { return 1; }
PROBE_EXPORT void DLLKill(void) {}

#if defined(PROBE_EXTRA_EXPORT)
PROBE_EXPORT int32_t DLLExtra(void) { return 0; }
#endif
