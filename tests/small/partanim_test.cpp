// Part animation through the host: the configuration stream, key handling,
// tick timing, part frames and the shared sound.
#include <string>
#include <vector>

#include "frame/abi.h"
#include "plugin_test.h"

namespace {

constexpr const char *kConfigPath = "modules/pc/partanim.txt";

// One part's seven values in the host's definition syntax.
std::string part(const std::string &aircraft, int key, const std::string &name, const std::string &timing,
                 const std::string &tick, const std::string &sound) {
    return "     \"" + aircraft + "\" " + std::to_string(key) + " " + name + " \"" + timing + "\" \"" + tick +
           "\" \"0,0,0\" " + sound + "\n";
}

class PartanimTest : public small_test::PluginTest {
protected:
    // Loads the plug-in with a configuration file of these parts.
    void load(const std::vector<std::string> &parts) {
        std::string text = "numP " + std::to_string(parts.size()) + "\nPart\n";
        for (const std::string &p : parts) text += p;
        load_text(text);
    }
    void load_text(const std::string &text) {
        root.write(kConfigPath, text);
        plugin = &host.load(PLUGIN_partanim);
    }

    // The frames set for a part during `slices` slices of `dt` seconds, one
    // entry per slice (-1 when the slice set none).
    std::vector<int> run(const std::string &name, int slices, float dt) {
        std::vector<int> frames;
        const std::string prefix = "host_object_set_part_frame(obj0, \"" + name + "\", ";
        for (int i = 0; i < slices; ++i) {
            host.log().clear();
            plugin->time_slice(dt);
            int frame = -1;
            for (const std::string &t : host.log().of(kEntryObjectSetPartFrame))
                if (t.rfind(prefix, 0) == 0) frame = std::stoi(t.substr(prefix.size()));
            frames.push_back(frame);
        }
        return frames;
    }

    static std::vector<int> counting(int from, int to) {
        std::vector<int> out;
        for (int f = from; from <= to ? f <= to : f >= to; f += from <= to ? 1 : -1) out.push_back(f);
        return out;
    }
    // The distinct frames of a run, in order, without the slices that set none.
    static std::vector<int> distinct(const std::vector<int> &frames) {
        std::vector<int> out;
        for (int f : frames)
            if (f >= 0 && (out.empty() || out.back() != f)) out.push_back(f);
        return out;
    }

    panelhost::Plugin *plugin = nullptr;
};

TEST_F(PartanimTest, ReadsItsConfigurationThroughTheHostStream) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "door.wav")});
    EXPECT_FALSE(plugin->has_class());
    EXPECT_EQ(host.log().of_any({kEntryStreamOpen, kEntryStreamReadObject, kEntryStreamClose}),
              (std::vector<std::string>{
                  "host_stream_open(\"modules\\\\pc\\\\partanim.txt\", \"rt\" -> 1)",
                  "host_stream_read_object({0, 1001, 0, 0, 0}, \"modules\\\\pc\\\\partanim.txt\")",
                  "host_stream_close(\"modules\\\\pc\\\\partanim.txt\")",
              }));
    EXPECT_EQ(host.log().of_any({kEntryStreamReadInt, kEntryStreamReadString}),
              (std::vector<std::string>{
                  "host_stream_read_int(1)",
                  "host_stream_read_string(64, \"User aircraft\")",
                  "host_stream_read_int(65)",
                  "host_stream_read_string(64, \"door\")",
                  "host_stream_read_string(64, \"0,0\")",
                  "host_stream_read_string(64, \"0.05,0,0\")",
                  "host_stream_read_string(64, \"0,0,0\")",
                  "host_stream_read_string(64, \"door.wav\")",
              }));
    EXPECT_EQ(host.memory().live_count(), 2u);
    host.log().clear();
    plugin->kill();
    EXPECT_EQ(host.log().of(kEntryFree).size(), 2u);
    EXPECT_EQ(host.memory().live_count(), 0u);
}

TEST_F(PartanimTest, TicksGatherFrameTimeAndDropTheRemainder) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL")});
    plugin->key(65, 0);
    std::vector<int> frames = run("door", 100, 0.02f);
    // The tick passes 0.05 s on every third slice: frame 1 at 0.06 s, frame 30 at 1.8 s.
    EXPECT_EQ(frames[1], -1);
    EXPECT_EQ(frames[2], 1);
    EXPECT_EQ(frames[4], 1);
    EXPECT_EQ(frames[5], 2);
    EXPECT_EQ(frames[89], 30);
    EXPECT_EQ(frames[88], 29);
    EXPECT_EQ(frames[91], 30);
    EXPECT_EQ(frames[92], -1) << "the 31st tick ends the run";
    EXPECT_EQ(distinct(frames), counting(1, 30));
    EXPECT_EQ(host.world().user().part_frames.at("door"), 30);
}

TEST_F(PartanimTest, ATickNeedsMoreThanItsLength) {
    load({part("User aircraft", 65, "door", "0,0", "0.25,0,0", "NULL")});
    plugin->key(65, 0);
    EXPECT_EQ(run("door", 4, 0.25f), (std::vector<int>{-1, 1, 1, 2}));
}

TEST_F(PartanimTest, DelayTicksPassStillThenTheDirectionAlternates) {
    load({part("User aircraft", 65, "door", "0,10", "0.05,0,0", "NULL")});
    plugin->key(65, 0);
    std::vector<int> frames = run("door", 45, 0.1f);  // one tick per slice
    EXPECT_EQ(std::vector<int>(frames.begin(), frames.begin() + 10), std::vector<int>(10, -1));
    EXPECT_EQ(std::vector<int>(frames.begin() + 10, frames.begin() + 40), counting(1, 30));
    EXPECT_EQ(std::vector<int>(frames.begin() + 40, frames.end()), std::vector<int>(5, -1));
    plugin->key(65, 0);
    frames = run("door", 45, 0.1f);
    EXPECT_EQ(std::vector<int>(frames.begin() + 10, frames.begin() + 40), counting(29, 0));
    plugin->key(65, 0);
    EXPECT_EQ(distinct(run("door", 45, 0.1f)), counting(1, 30));
}

TEST_F(PartanimTest, AKeyForAMovingPartIsIgnored) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "door.wav")});
    plugin->key(65, 0);
    run("door", 10, 0.1f);
    host.log().clear();
    plugin->key(65, 0);
    EXPECT_TRUE(host.log().of(kEntrySoundPlayFile).empty());
    std::vector<int> rest = run("door", 25, 0.1f);
    EXPECT_EQ(distinct(rest), counting(11, 30)) << "carries on where it was";
}

TEST_F(PartanimTest, OnlyTheUserAircraftsPartsOnThatKeyStart) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL"),
          part("user aircraft", 65, "lower", "0,0", "0.05,0,0", "NULL"),  // case matters
          part("Other plane", 65, "other", "0,0", "0.05,0,0", "NULL"),
          part("User aircraft", 65, "hatch", "0,0", "0.05,0,0", "NULL"),
          part("User aircraft", 66, "gear", "0,0", "0.05,0,0", "NULL")});
    plugin->key(65, 0);
    run("door", 40, 0.1f);
    std::map<std::string, int32_t> expected{{"door", 30}, {"hatch", 30}};
    EXPECT_EQ(host.world().user().part_frames, expected);
}

TEST_F(PartanimTest, KeysAreIgnoredWhileInputIsDisabled) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "door.wav")});
    host.input_enabled = false;
    host.log().clear();
    plugin->key(65, 0);
    run("door", 5, 0.1f);
    EXPECT_EQ(host.log().of(kEntryGetUserObject).size(), 0u);
    EXPECT_TRUE(host.world().user().part_frames.empty());
}

TEST_F(PartanimTest, OneSoundHandleServesEveryPart) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "door.wav"),
          part("User aircraft", 66, "hatch", "0,5", "0.05,0,0", "hatch.wav"),
          part("User aircraft", 67, "flag", "0,0", "0.05,0,0", "NULL")});
    host.resources().sound_seconds = 10.0;
    plugin->key(65, 0);
    plugin->key(66, 0);  // the door's sound still plays: the hatch is silent
    EXPECT_EQ(host.log().of_any({kEntrySoundPlayFile, kEntrySoundSetVolume}),
              (std::vector<std::string>{"host_sound_play_file(\"door.wav\" -> 1)", "host_sound_set_volume(1, 0.75)"}));
    host.log().clear();
    run("door", 31, 0.1f);  // the door ends and stops the shared handle
    EXPECT_EQ(host.log().of(kEntrySoundStop), (std::vector<std::string>{"host_sound_stop(1)"}));
    EXPECT_FALSE(host.resources().sounds().at(1).playing);
    plugin->key(67, 0);
    EXPECT_EQ(host.resources().sounds().size(), 1u) << "\"NULL\" starts no sound";
    run("flag", 40, 0.1f);
    EXPECT_EQ(host.world().user().part_frames.at("flag"), 30);
    plugin->key(65, 0);
    EXPECT_EQ(host.resources().sounds().at(2).file, "door.wav");
}

TEST_F(PartanimTest, GlobalStartReturnsEveryPartToRest) {
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL")});
    plugin->key(65, 0);
    run("door", 5, 0.1f);
    plugin->global_start();
    EXPECT_EQ(run("door", 5, 0.1f), std::vector<int>(5, -1));
    plugin->key(65, 0);
    EXPECT_EQ(run("door", 2, 0.1f), (std::vector<int>{1, 2})) << "forward again";
}

TEST_F(PartanimTest, APartTagBeforeNumPReadsNothing) {
    load_text("Part\n" + part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL") + "numP 1\n");
    EXPECT_TRUE(host.log().of(kEntryStreamReadString).empty());
    plugin->key(65, 0);
    EXPECT_EQ(run("door", 5, 0.1f), std::vector<int>(5, -1));
}

TEST_F(PartanimTest, ACountOutsideItsRangeGivesNoParts) {
    for (const char *count : {"-1", "0", "1025", "2147483647"}) {
        SCOPED_TRACE(count);
        host.log().clear();
        root.write(kConfigPath, std::string("numP ") + count + "\nPart\n" +
                                    part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL"));
        panelhost::Plugin &p = host.load(PLUGIN_partanim);
        EXPECT_TRUE(host.log().of(kEntryAlloc).empty());
        EXPECT_TRUE(host.log().of(kEntryStreamReadString).empty());
        p.key(65, 0);
        p.time_slice(0.1f);
        EXPECT_TRUE(host.log().of(kEntryObjectSetPartFrame).empty());
        p.kill();
    }
}

TEST_F(PartanimTest, AFailedTableAllocationLeavesNoParts) {
    host.memory().fail_next = 1;
    load({part("User aircraft", 65, "door", "0,0", "0.05,0,0", "NULL")});
    EXPECT_EQ(host.memory().live_count(), 0u) << "the table that was allocated is released";
    plugin->key(65, 0);
    EXPECT_EQ(run("door", 3, 0.1f), std::vector<int>(3, -1));
}

TEST_F(PartanimTest, AMissingFileLeavesThePlugInIdle) {
    plugin = &host.load(PLUGIN_partanim);
    EXPECT_EQ(host.log().of(kEntryStreamOpen),
              (std::vector<std::string>{"host_stream_open(\"modules\\\\pc\\\\partanim.txt\", \"rt\" -> 0)"}));
    EXPECT_TRUE(host.log().of(kEntryStreamReadObject).empty());
    plugin->key(65, 0);
    plugin->global_start();
    plugin->time_slice(0.1f);
    EXPECT_TRUE(host.log().of(kEntryAlloc).empty());
}

TEST_F(PartanimTest, LongTextsAreCutByTheReadCapacity) {
    const std::string name(100, 'n');
    load({part("User aircraft", 65, name, "0,0", "0.05,0,0", "NULL")});
    ASSERT_EQ(host.problems().size(), 1u);  // the host notes the cut
    EXPECT_NE(host.problems()[0].find("cut to 63"), std::string::npos);
    host.problems().clear();
    plugin->key(65, 0);
    EXPECT_EQ(distinct(run(name.substr(0, 63), 35, 0.1f)), counting(1, 30));
}

}  // namespace
