// Every call from the host into a plug-in goes through enter().
//
// An old 32-bit Windows host calls its plug-ins with the stack aligned to only
// 4 bytes. On windows-i686 enter() reproduces that worst case: the plug-in's
// first instruction runs with ESP = 4 (mod 16), 8 bytes off the 16-byte
// alignment that SSE stack slots need, so a plug-in that assumes more than 4
// bytes fails in the tests as it would in the simulator. Elsewhere enter() is
// a plain call. The build says which (PANELHOST_ENTRY_THUNK).
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

extern "C" {
// Calls `fn` (cdecl) with `count` 32-bit argument words, entering it with
// ESP = `entry_residue` (mod 16); returns its EAX. Only on windows-i686.
uint32_t panelhost_enter_thunk(const void *fn, const uint32_t *words, uint32_t count, uint32_t entry_residue);
}

namespace panelhost::platform {

inline constexpr bool kEntryThunk = PANELHOST_ENTRY_THUNK;
// ESP at a plug-in's entry, modulo 16, as the old host leaves it.
inline constexpr uint32_t kHostEntryResidue = 4;

// Calls fn(args...) with the stack at entry as `entry_residue` says: through
// the thunk where there is one, else directly (the residue is then the
// compiler's).
template <class R, class... P, class... A>
R enter_with(uint32_t entry_residue, R (*fn)(P...), A... args) {
    static_assert(sizeof...(P) == sizeof...(A), "one argument per parameter");
    if constexpr (kEntryThunk) {
        static_assert(((sizeof(P) == 4 && std::is_trivially_copyable_v<P>) && ...),
                      "plug-in entries take 32-bit words only");
        static_assert(std::is_void_v<R> || std::is_same_v<R, int32_t> || std::is_same_v<R, uint32_t>,
                      "plug-in entries return nothing or a 32-bit integer");
        uint32_t words[sizeof...(P) + 1] = {};
        uint32_t *w = words;
        auto put = [&w](auto value) { std::memcpy(w++, &value, 4); };
        (put(P(args)), ...);
        uint32_t r = panelhost_enter_thunk(reinterpret_cast<const void *>(fn), words, uint32_t(sizeof...(P)),
                                           entry_residue);
        if constexpr (!std::is_void_v<R>) return static_cast<R>(r);
    } else {
        (void)entry_residue;
        return fn(P(args)...);
    }
}

template <class R, class... P, class... A>
R enter(R (*fn)(P...), A... args) {
    return enter_with(kHostEntryResidue, fn, args...);
}

}  // namespace panelhost::platform
