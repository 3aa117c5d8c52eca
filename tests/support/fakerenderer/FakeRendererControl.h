#pragma once
// The control side of the fake pattern renderer (libzvxfakerenderer.so): a
// library with the renderer's entry points that shows nothing, records every
// DrawTestPattern call and presses scripted keys through the program's
// hot-key procedure inside the call, as a person at the bench would.

#include "zvxrenderer.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeRendererCall {
    int32_t width;
    int32_t height;
    int32_t reserved;
    int32_t refreshRate;
    int32_t pattern;
    int32_t hasSettings;       /* 0 when the record's address was null */
    videoSettings settings;    /* the record as the call found it */
    int32_t hasHotKey;
    char bitmapFile[1024];
} FakeRendererCall;

/* Forgets the calls, the keys, the result and the timing. */
void FakeRenderer_reset(void);
/* The keys every following DrawTestPattern presses, in order, before it returns. */
void FakeRenderer_setKeys(const int32_t* keys, int32_t count);
/* What the following DrawTestPattern calls return, and the error text they leave. */
void FakeRenderer_setResult(int32_t result, const char* error);
/* What GetDisplayTiming answers (result and figures). */
void FakeRenderer_setTiming(int32_t result, const ZvxDisplayTiming* timing);
int32_t FakeRenderer_callCount(void);
/* Copies call `index` (0 = first since the reset); 0 when there is none. */
int32_t FakeRenderer_call(int32_t index, FakeRendererCall* out);

#ifdef __cplusplus
}
#endif
