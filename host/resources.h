// What the host keeps for the plug-ins from one call to the next: the fonts
// and pictures they loaded, the streams they opened, the sounds they started,
// the lists they hold, the host's windows and the objects' models. The
// services over these (host/services.cpp) each log their call and leave the
// work to one function here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/abi.h"
#include "assetcodecs/assets.h"
#include "host/definition.h"
#include "host/world.h"

namespace panelhost {

struct WindowRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const WindowRect &) const = default;
};

struct Sound {
    std::string file;
    double remaining = 0;  // seconds of play left
    float volume = 1.0f;
    bool playing = false;
};

class Resources {
public:
    // Names resolve against `root`; fonts and pictures come from `assets`;
    // the lists are made of `world`'s nearby objects and traffic; what the
    // plug-ins do wrong goes to `problems`.
    Resources(std::string root, std::shared_ptr<assetcodecs::AssetLibrary> assets, World &world,
              std::vector<std::string> &problems);
    Resources(const Resources &) = delete;
    Resources &operator=(const Resources &) = delete;
    ~Resources();

    // A plug-in's file name resolved against the root (backslashes become '/').
    std::string resolve(const char *name) const;
    // Whether a plug-in's file name, resolved, is a regular file (false for null).
    bool is_regular_file(const char *name) const;
    assetcodecs::AssetLibrary &assets() { return *assets_; }

    // Fonts and pictures, kept by the address of the plug-in's record.
    int32_t font_load(FontRecord *f);
    void font_free(FontRecord *f);
    void font_draw(DrawSurface *s, FontRecord *f, int32_t x, int32_t y, uint32_t colour, const char *text,
                   bool label);
    int32_t bitmap_load(BitmapRecord *b);
    void bitmap_free(BitmapRecord *b);
    void bitmap_draw(DrawSurface *s, BitmapRecord *b, int32_t x, int32_t y, int32_t frame);

    // Streams: definition files opened by name. A missing file is an
    // ordinary "not opened"; one that does not parse is a problem too.
    int32_t stream_open(StreamRecord *r);
    void stream_close(StreamRecord *r);
    // The definition of an open stream; null for another record.
    const Definition *stream(const StreamRecord *r) const;

    // Sounds: a started sound plays for sound_seconds of the host's clock.
    int32_t sound_play(const char *file);
    void sound_stop(int32_t sound);
    int32_t sound_is_playing(int32_t sound) const;
    void sound_set_volume(int32_t sound, float volume);
    void advance(double seconds);  // sounds run out
    std::map<int32_t, Sound> &sounds() { return sounds_; }
    const std::map<int32_t, Sound> &sounds() const { return sounds_; }
    double sound_seconds = 1.0;

    // The list the get entry `kind` hands out (kEntryGetNavaidList,
    // ...AirportList, ...PointList or ...TrafficList) as linked records;
    // null when empty. `count` receives the number of records.
    void *make_list(int kind, int32_t *count = nullptr);
    // Takes back a list of that entry; false (and a problem) for a list the
    // host did not hand out, or one already taken back. Null is allowed.
    bool free_list(int kind, void *head);
    // Lists handed out and not yet taken back.
    size_t outstanding_lists() const { return lists_.size(); }

    // The host's windows by number; window 6 is the host's own from the start.
    std::map<int32_t, WindowRect> windows;
    void place_window(int32_t window, const WindowRect &r) { windows[window] = r; }
    bool has_window(int32_t window) const { return windows.count(window) != 0; }

    // Models of an object (null: none), kept by tag; a model loads when its
    // file is a regular file.
    int32_t load_model(SimObject *object, const char *path, uint32_t tag);
    int32_t select_model(SimObject *object, uint32_t tag);

private:
    struct LoadedFont {
        std::string name;
        std::shared_ptr<const assetcodecs::FontAsset> asset;
    };
    struct LoadedBitmap {
        std::string name;
        std::shared_ptr<const assetcodecs::BitmapAsset> asset;
    };
    struct HandedList {
        int kind;
        std::vector<std::unique_ptr<uint8_t[]>> nodes;
    };

    std::string root_;
    std::shared_ptr<assetcodecs::AssetLibrary> assets_;
    World &world_;
    std::vector<std::string> &problems_;
    std::map<const FontRecord *, LoadedFont> fonts_;
    std::map<const BitmapRecord *, LoadedBitmap> bitmaps_;
    std::map<const StreamRecord *, Definition> streams_;
    std::map<void *, HandedList> lists_;
    std::map<int32_t, Sound> sounds_;
    int32_t next_sound_ = 1;
};

}  // namespace panelhost
