// Pieces the control tests share: a handler that logs the what-codes it hears in order, and a
// small icon to put on buttons.
#pragma once

#include <vector>

#include "tests/support/ImageFixtures.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_Handler.h"
#include "toolkit/imaging/Quor_BaseImage.h"

namespace quor_test {

// Keeps every what-code it receives, in order, and the last message.
class WhatLog : public Quor_Handler {
public:
    void HandleMessage(Quor_Message* message) override
    {
        whats.push_back(message->what);
        last = *message;
    }
    int Count(int what) const
    {
        int n = 0;
        for (int w : whats)
            n += w == what ? 1 : 0;
        return n;
    }
    std::vector<int> whats;
    Quor_Message last;
};

// A 16 x 16 icon: a blue disc with a white cross on a transparent ground.
inline void MakeIcon(Quor_BaseImage* icon, int size = 16)
{
    ASSERT_EQ(icon->Initialize(size, size, 32), 0);
    const float c = (size - 1) / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = x - c;
            const float dy = y - c;
            uint32_t p = Px(0, 0, 0, 0);
            if (dx * dx + dy * dy <= c * c)
                p = (x == size / 2 || y == size / 2) ? Px(255, 255, 255) : Px(40, 90, 200);
            At(icon->Image(), x, y) = p;
        }
    }
}

}  // namespace quor_test
