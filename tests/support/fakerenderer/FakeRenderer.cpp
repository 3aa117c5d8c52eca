// The fake pattern renderer for the tests: see FakeRendererControl.h.
#include "FakeRendererControl.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

struct FakeState {
    std::vector<FakeRendererCall> calls;
    std::vector<int32_t> keys;
    int32_t result = 0;
    std::string error;
    int32_t timingResult = 0;
    ZvxDisplayTiming timing{};
};

FakeState& state()
{
    static FakeState s;
    return s;
}

} // namespace

FAKE_API int32_t DrawTestPattern(int32_t width, int32_t height, int32_t reserved, int32_t refreshRate,
                                 int32_t pattern, const videoSettings* settings, ZvxHotKeyProc hotKey,
                                 const char* bitmapFile)
{
    FakeRendererCall call{width, height, reserved, refreshRate, pattern, settings != nullptr,
                          settings ? *settings : videoSettings{}, hotKey != nullptr, {}};
    std::snprintf(call.bitmapFile, sizeof call.bitmapFile, "%s", bitmapFile ? bitmapFile : "(null)");
    state().calls.push_back(call);
    if (hotKey)
        for (int32_t key : std::vector<int32_t>(state().keys))
            hotKey(key);
    return state().result;
}

FAKE_API int32_t GetDisplayTiming(int32_t, int32_t, int32_t, ZvxDisplayTiming* timing)
{
    if (!timing || timing->structSize < static_cast<int32_t>(sizeof(ZvxDisplayTiming)))
        return 0;
    *timing = state().timing;
    timing->structSize = static_cast<int32_t>(sizeof(ZvxDisplayTiming));
    return state().timingResult;
}

FAKE_API const char* ZvxRendererError(void)
{
    return state().error.c_str();
}

FAKE_API void FakeRenderer_reset(void)
{
    state() = FakeState{};
}

FAKE_API void FakeRenderer_setKeys(const int32_t* keys, int32_t count)
{
    state().keys.assign(keys, keys + (count > 0 ? count : 0));
}

FAKE_API void FakeRenderer_setResult(int32_t result, const char* error)
{
    state().result = result;
    state().error = error ? error : "";
}

FAKE_API void FakeRenderer_setTiming(int32_t result, const ZvxDisplayTiming* timing)
{
    state().timingResult = result;
    state().timing = timing ? *timing : ZvxDisplayTiming{};
}

FAKE_API int32_t FakeRenderer_callCount(void)
{
    return static_cast<int32_t>(state().calls.size());
}

FAKE_API int32_t FakeRenderer_call(int32_t index, FakeRendererCall* out)
{
    if (!out || index < 0 || index >= static_cast<int32_t>(state().calls.size()))
        return 0;
    *out = state().calls[static_cast<std::size_t>(index)];
    return 1;
}
