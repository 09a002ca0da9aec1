#include "cubeloop.h"

#include "modopengl.h"

#include <cmath>

static_assert(-kFarthestDepth + 1.7320508 < modOpenGL::kFarPlane, "the cube's far corner stays inside the view");

FrameActions applyHeldKeys(LoopState &state, const KeyTable &keys)
{
    FrameActions actions;
    // A latch makes one press act once, however many frames the key is held.
    if (keys[vk::L]) {
        if (!state.lightKeyLatch) {
            state.lightingOn = !state.lightingOn;
            state.lightKeyLatch = true;
            actions.lightingToggled = true;
        }
    } else {
        state.lightKeyLatch = false;
    }
    if (keys[vk::F]) {
        if (!state.filterKeyLatch) {
            state.filterKeyLatch = true;
            actions.nextFilter = true;
        }
    } else {
        state.filterKeyLatch = false;
    }
    if (keys[vk::PageUp]) {
        state.cubeDepth -= 0.02f;
        if (state.cubeDepth < kFarthestDepth)
            state.cubeDepth = kFarthestDepth;
    }
    if (keys[vk::PageDown]) {
        state.cubeDepth += 0.02f;
        if (state.cubeDepth > kNearestDepth)
            state.cubeDepth = kNearestDepth;
    }
    if (keys[vk::Up])
        state.spinSpeedX -= 0.01f;
    if (keys[vk::Down])
        state.spinSpeedX += 0.01f;
    if (keys[vk::Left])
        state.spinSpeedY -= 0.01f;
    if (keys[vk::Right])
        state.spinSpeedY += 0.01f;
    return actions;
}

float turnedBy(float angle, float step)
{
    return static_cast<float>(std::fmod(static_cast<double>(angle) + static_cast<double>(step), 360.0));
}

int nextFilter(int filter)
{
    const int next = filter + 1;
    return next > 2 ? 0 : next;
}

void KeyTaps::press(KeyTable &keys, int code)
{
    keys[static_cast<size_t>(code)] = true;
    m_unseen.set(static_cast<size_t>(code));
    m_releaseAfterFrame.reset(static_cast<size_t>(code));
}

void KeyTaps::release(KeyTable &keys, int code)
{
    if (m_unseen.test(static_cast<size_t>(code)))
        m_releaseAfterFrame.set(static_cast<size_t>(code));
    else
        keys[static_cast<size_t>(code)] = false;
}

void KeyTaps::frameSeen(KeyTable &keys)
{
    for (size_t code = 0; code < keys.size(); ++code) {
        if (m_releaseAfterFrame.test(code))
            keys[code] = false;
    }
    m_unseen.reset();
    m_releaseAfterFrame.reset();
}

void KeyTaps::clear()
{
    m_unseen.reset();
    m_releaseAfterFrame.reset();
}
