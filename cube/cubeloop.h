// What the render loop does with the held keys once per frame, as a plain step on the
// loop's state: latched toggles (L, F), distance (Page Up / Page Down) and spin speeds
// (arrows). The window applies the outcome to GL and to the front face's texture.
#pragma once

#include <array>
#include <bitset>

// 257 flags indexed by virtual-key number 0 ... 256, true while the key is held.
using KeyTable = std::array<bool, 257>;

namespace vk {
inline constexpr int Escape = 27;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int F = 70;
inline constexpr int L = 76;
} // namespace vk

// Nearest the cube may come: Page Down stops here.
inline constexpr float kNearestDepth = -4.44f;
// Farthest it may go: Page Up stops where a corner (at most the half diagonal, 1.733, from
// the centre) could otherwise pass the far clipping plane at 100 and the cube be lost.
inline constexpr float kFarthestDepth = -98.26f;

struct LoopState
{
    float spinSpeedX = 0.05f; // degrees per frame about X
    float spinSpeedY = 0.05f; // degrees per frame about Y
    float cubeDepth = -7.0f;
    bool lightingOn = false;
    bool lightKeyLatch = false;
    bool filterKeyLatch = false;
};

struct FrameActions
{
    bool lightingToggled = false; // set GL_LIGHTING to state.lightingOn
    bool nextFilter = false;      // advance the front face's filter
};

// Steps 4 to 8 of a loop iteration for the keys held now.
FrameActions applyHeldKeys(LoopState &state, const KeyTable &keys);

// `angle` turned on by `step` degrees, kept within one turn (-360 ... 360) so a float
// angle never grows past the point where a step no longer changes it.
float turnedBy(float angle, float step);

// The filter after `filter`: 0 -> 1 -> 2 -> 0.
int nextFilter(int filter);

// Holds a key that was pressed and released again before any frame looked at the table
// (a quick tap, or a press and release arriving in one round of events) until one frame
// has seen it, so no tap of Escape, L or F is lost. Longer presses are unaffected.
class KeyTaps
{
public:
    void press(KeyTable &keys, int code);
    void release(KeyTable &keys, int code);
    // A frame has read the table: releases held back for it take effect now.
    void frameSeen(KeyTable &keys);
    void clear();

private:
    std::bitset<257> m_unseen;
    std::bitset<257> m_releaseAfterFrame;
};
