// A deliberately misalignment-intolerant plug-in. Its DLLGetSDKVersion is SSE
// code written for a 16-byte aligned stack at entry (ESP + 4 on a 16-byte
// boundary, as gcc's -mincoming-stack-boundary=4 assumes): it keeps a vector
// in a stack slot with aligned moves, which fault when the host calls it on a
// stack aligned to 4 bytes only. (mingw-w64's gcc itself emits unaligned moves
// for stack data, so the routine is written out.)
#include <cstdint>

#include "frame/abi.h"

asm(R"(
    .text
    .globl _DLLGetSDKVersion
_DLLGetSDKVersion:
    subl  $28, %esp             # 16-aligned now, if it was 12 (mod 16) at entry
    movl  $200, %eax
    cvtsi2ss %eax, %xmm0
    shufps $0, %xmm0, %xmm0
    movaps %xmm0, (%esp)        # faults unless ESP is 16-aligned
    movaps (%esp), %xmm1
    cvttss2si %xmm1, %eax       # 200
    addl  $28, %esp
    ret
    .section .drectve
    .ascii " -export:DLLGetSDKVersion"
    .text
)");

extern "C" {

__declspec(dllexport) int32_t DLLInitPrivate(HostEntry *, int32_t reference) { return reference; }
__declspec(dllexport) int32_t DLLGetReferenceNumber(void) { return 0; }
__declspec(dllexport) int32_t DLLInit(void **, PluginInfo *, void *) { return 1; }
__declspec(dllexport) void DLLKill(void) {}

}  // extern "C"
