/* The full-screen pattern renderer's C interface (libzvxrenderer.so).
 *
 * The register tool loads the library at run time and calls DrawTestPattern
 * from its user-interface thread. The call shows one test pattern full-screen
 * and returns when the user presses Esc; every printable key pressed in the
 * meantime goes to the program's hot-key procedure, on the same thread,
 * before the next frame is drawn.
 *
 * Everything here is plain C with fixed-size integers so that the program
 * and any renderer built on its own agree on the layout. */
#ifndef ZVXRENDERER_H
#define ZVXRENDERER_H

#include <stdint.h>

#if defined(ZVX_RENDERER_BUILD)
#define ZVX_RENDERER_API __attribute__((visibility("default")))
#else
#define ZVX_RENDERER_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The settings record: nine signed 32-bit integers in this order. Colours are
 * 24-bit values with red in the low byte, green in the middle byte and blue
 * in the third byte (0x00BBGGRR). */
typedef struct videoSettings {
    int32_t checkBoxSize; /* line / box size of the black-and-white patterns, pixels */
    int32_t backColor;    /* background */
    int32_t foreColor;    /* foreground */
    int32_t seedColor;    /* first colour of the colour-bar patterns */
    int32_t xSize;        /* colour bar width, pixels */
    int32_t ySize;        /* colour bar height, pixels */
    int32_t redIncr;      /* added to red from one colour bar to the next */
    int32_t grnIncr;      /* ... to green */
    int32_t blueIncr;     /* ... to blue */
} videoSettings;

/* The hot-key procedure: one 8-bit character code per key ("D" is 68, "d" 100). */
typedef void (*ZvxHotKeyProc)(int32_t key);

/* Shows pattern 0..20 full-screen at width x height and refreshRate Hz until
 * Esc. reserved is always 0. settings is read once per frame, so hot keys see
 * their effect at once. bitmapFile names the bitmap of pattern 20, a
 * zero-terminated text in the file system's encoding ("" otherwise).
 * Returns 0 after the display was shown and ended, non-zero when it could not
 * be shown at all (ZvxRendererError says why). */
ZVX_RENDERER_API int32_t DrawTestPattern(int32_t width, int32_t height, int32_t reserved, int32_t refreshRate,
                                         int32_t pattern, const videoSettings* settings, ZvxHotKeyProc hotKey,
                                         const char* bitmapFile);

/* The display timing a pattern of the given mode will really run at. */
typedef struct ZvxDisplayTiming {
    int32_t structSize;         /* set by the caller: sizeof(ZvxDisplayTiming) */
    int32_t width;              /* the display mode really used, pixels */
    int32_t height;
    int32_t modeChange;         /* 1: the display switches to this mode; 0: it keeps its current mode
                                   and the pattern is drawn at the requested size inside it */
    double refreshHz;           /* 0: unknown */
    double pixelClockHz;        /* 0: unknown (only the X11 RandR extension tells it) */
    int32_t totalPixelsPerLine; /* 0: unknown; visible pixels plus blanking */
    int32_t totalLines;         /* 0: unknown */
    char videoDriver[32];       /* "x11", "wayland", "offscreen", ... */
    char note[256];             /* why a figure is unknown, or why the query failed */
} ZvxDisplayTiming;

/* Fills timing for a pattern of width x height at refreshRate Hz on the
 * primary display, without showing anything. Returns 1 when the mode could
 * be determined, 0 when not (note says why). */
ZVX_RENDERER_API int32_t GetDisplayTiming(int32_t width, int32_t height, int32_t refreshRate,
                                          ZvxDisplayTiming* timing);

/* Why the last DrawTestPattern returned non-zero; "" after a good run. */
ZVX_RENDERER_API const char* ZvxRendererError(void);

#ifdef __cplusplus
}
#endif

#endif
