// The windows-i686 thunk of host/platform/entry.h, in GNU assembler (the
// mingw-w64 C names carry a leading underscore).
//
//   uint32_t panelhost_enter_thunk(fn, words, count, entry_residue)
//
// Copies the argument words below an aligned point chosen so that, once the
// call has pushed its return address, ESP = entry_residue (mod 16); the callee
// runs there; the caller's stack is restored from EBP whatever it did.
#include "host/platform/entry.h"

asm(R"(
    .text
    .globl _panelhost_enter_thunk
    .def _panelhost_enter_thunk; .scl 2; .type 32; .endef
_panelhost_enter_thunk:
    pushl %ebp
    movl  %esp, %ebp
    pushl %esi
    pushl %edi
    movl  12(%ebp), %esi        # the argument words
    movl  16(%ebp), %ecx        # how many
    leal  (,%ecx,4), %eax
    movl  %esp, %edx
    subl  %eax, %edx
    subl  $32, %edx
    andl  $-16, %edx            # 16-aligned, below the words and the saved registers
    movl  20(%ebp), %eax
    addl  $4, %eax              # the return address goes 4 bytes below the words:
    andl  $15, %eax             # words at residue + 4 (mod 16)
    addl  %eax, %edx
    movl  %edx, %esp
    movl  %edx, %edi
    cld
    rep movsl
    call  *8(%ebp)
    leal  -8(%ebp), %esp
    popl  %edi
    popl  %esi
    popl  %ebp
    ret
)");
