#pragma once
// The test's handle on the fake renderer the program loads (test_video links
// the same library, so both see one record of calls): forgets the calls of
// earlier tests and scripts the keys of the next ones.

#include "support/fakerenderer/FakeRendererControl.h"

#include <QString>

#include <gtest/gtest.h>
#include <vector>

namespace zvx::test {

struct FakeRenderer {
    FakeRenderer() { FakeRenderer_reset(); }
    void pressDuringNextCalls(const std::vector<int32_t>& keys)
    {
        FakeRenderer_setKeys(keys.data(), static_cast<int32_t>(keys.size()));
    }
    void pressDuringNextCalls(const QString& keys)
    {
        std::vector<int32_t> v;
        for (QChar c : keys)
            v.push_back(c.unicode());
        pressDuringNextCalls(v);
    }
    int calls() const { return FakeRenderer_callCount(); }
    FakeRendererCall lastCall() const
    {
        FakeRendererCall c{};
        EXPECT_TRUE(FakeRenderer_call(FakeRenderer_callCount() - 1, &c)) << "the renderer was not called";
        return c;
    }
};

} // namespace zvx::test
