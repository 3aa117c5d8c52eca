#pragma once
// The hot keys of a running pattern. The renderer calls back once per key,
// on the user-interface thread, while the program waits in DrawTestPattern;
// each key steps a U1 field through the main window's own stepper, writes
// the register as its write button would (resets, lock-status read and the
// calculator update included) and answers with its sound.
//
//   D / d   DPA offset up / down ("3F" wraps to 0, 0 to "3F")
//   P / p   PFD up / down ("7" wraps to 0)
//   G / g   feedback divider + 1 / - 1
//   H / h   total pixels per line + 8 / - 8
//   F / f   external / internal loop filter
//
// Every other key changes nothing but is remembered as the last hot key.

#include "zvxrenderer.h"

#include <cstdint>

namespace zvx {

class Lab;

// videoHotKey: codes above 255 are taken 256 lower; a code that still has
// no 8-bit character acts as no key. A step that fails is skipped and the
// next one runs, so the renderer always gets control back; nothing thrown
// here crosses into the renderer.
void videoHotKey(Lab& lab, std::int32_t key) noexcept;

// The renderer's callback takes the key alone, so while a pattern runs this
// object names the program its keys go to. Made on the stack around the
// DrawTestPattern call; keys arriving when none exists change nothing.
class HotKeyTarget {
public:
    explicit HotKeyTarget(Lab& lab);
    ~HotKeyTarget();
    HotKeyTarget(const HotKeyTarget&) = delete;
    HotKeyTarget& operator=(const HotKeyTarget&) = delete;

    // The procedure handed to the renderer.
    static void callback(std::int32_t key);

private:
    Lab* previous_;
};

} // namespace zvx
