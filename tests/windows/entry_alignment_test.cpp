// The stack a plug-in gets from the test host on windows-i686: every entry
// the host calls runs with ESP = 4 (mod 16), as under an old 32-bit host that
// keeps only 4-byte alignment, and a plug-in that needs more fails here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/platform/entry.h"
#include "host/platform/library.h"

using namespace panelhost;

namespace {

const char *const kEntryNames[] = {
    "DLLGetSDKVersion", "DLLInitPrivate", "DLLGetReferenceNumber", "DLLInit", "DLLKill",
    "on_global_start", "on_global_stop", "on_destroy", "on_instantiate", "on_instance_init",
    "on_time_slice", "on_draw", "on_read_tag", "on_mouse", "on_prepare", "on_update", "on_key"};

// The alignment probe as a second handle on the same module: the test reads
// the ESPs its entries noted.
struct Probe {
    platform::Library library{ALIGN_PROBE};
    int count() const { return reinterpret_cast<int32_t (*)()>(library.symbol("ProbeEntryCount"))(); }
    std::vector<uint32_t> stacks() const {
        const uint32_t *esp = reinterpret_cast<const uint32_t *(*)()>(library.symbol("ProbeEntryStacks"))();
        return std::vector<uint32_t>(esp, esp + count());
    }
    void forget() const { reinterpret_cast<void (*)()>(library.symbol("ProbeForget"))(); }
};

TEST(EntryAlignment, EveryCallFromTheHostEntersAtFourModSixteen) {
    Probe probe;
    ASSERT_TRUE(probe.library) << probe.library.error();
    ASSERT_EQ(probe.count(), int(std::size(kEntryNames)));
    probe.forget();
    {
        Host host;
        Plugin &p = host.load(ALIGN_PROBE);
        ASSERT_TRUE(p.has_class());
        EXPECT_EQ(p.reference_number(), p.reference());
        p.global_start();
        Instance *i = host.instantiate(p);
        ASSERT_NE(i, nullptr);
        i->init();
        EXPECT_TRUE(i->read_definition(parse_definition("zzzz 1\n", "probe.def")).empty());
        i->prepare();
        Surface surface(8, 8);
        EXPECT_TRUE(i->draw(surface));
        EXPECT_EQ(i->mouse(surface, 1, 2, 1), 1);
        EXPECT_EQ(i->update(), 1);
        p.time_slice(0.5f);
        p.key(65, 0);
        i->destroy();
        p.global_stop();
        p.kill();
        EXPECT_TRUE(host.problems().empty()) << host.problems().front();
    }
    const std::vector<uint32_t> esp = probe.stacks();
    for (size_t e = 0; e < esp.size(); ++e) {
        SCOPED_TRACE(kEntryNames[e]);
        ASSERT_NE(esp[e], 0u) << "never called";
        EXPECT_EQ(esp[e] % 16, 4u);
    }
}

// The probe measures what the thunk sets: each residue asked for is the one
// the entry sees, with the arguments and result intact.
TEST(EntryAlignment, ThunkSetsTheResidueItIsAsked) {
    Probe probe;
    ASSERT_TRUE(probe.library) << probe.library.error();
    auto init_private = reinterpret_cast<DLLInitPrivateFn>(probe.library.symbol("DLLInitPrivate"));
    ASSERT_NE(init_private, nullptr);
    for (uint32_t residue : {0u, 4u, 8u, 12u}) {
        probe.forget();
        EXPECT_EQ(platform::enter_with(residue, init_private, nullptr, int32_t(900 + residue)),
                  int32_t(900 + residue));
        EXPECT_EQ(probe.stacks()[1] % 16, residue);
    }
}

// A plug-in built to assume 16-byte alignment at entry works when called so,
// and faults when called as the old host calls it.
TEST(EntryAlignment, IntolerantBuildRunsOnlyOnAnAlignedStack) {
    platform::Library sse(SSE_PROBE);
    ASSERT_TRUE(sse) << sse.error();
    auto version = reinterpret_cast<DLLGetSDKVersionFn>(sse.symbol("DLLGetSDKVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(platform::enter_with(12, version), 200);  // ESP + 4 on a 16-byte boundary
}

// The fault of a misaligned aligned move: an access violation on Windows and
// Wine (a general protection fault), an illegal instruction under qemu.
LONG WINAPI report_and_exit(EXCEPTION_POINTERS *e) {
    const DWORD code = e->ExceptionRecord->ExceptionCode;
    std::fprintf(stderr, "plug-in fault %08lx\n", static_cast<unsigned long>(code));
    std::fflush(stderr);
    std::_Exit(code == EXCEPTION_ACCESS_VIOLATION || code == EXCEPTION_ILLEGAL_INSTRUCTION ? 3 : 4);
}

TEST(EntryAlignmentDeathTest, IntolerantBuildFaultsWhenTheHostLoadsIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
            SetUnhandledExceptionFilter(report_and_exit);
            Host host;
            host.load(SSE_PROBE);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "plug-in fault c0000");
}

}  // namespace
