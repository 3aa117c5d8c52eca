#pragma once
// The test's handle on the fake renderer library that the program loads:
// the same file, so the same library instance and the same record of calls.

#include "support/fakerenderer/FakeRendererControl.h"

#include <QLibrary>
#include <QString>

#include <gtest/gtest.h>
#include <vector>

namespace zvx::test {

class FakeRenderer {
public:
    FakeRenderer() : library_(QStringLiteral(ZVX_FAKE_RENDERER_PATH))
    {
        if (!library_.load())
            ADD_FAILURE() << library_.errorString().toStdString();
        resolve(reset_, "FakeRenderer_reset");
        resolve(setKeys_, "FakeRenderer_setKeys");
        resolve(setResult_, "FakeRenderer_setResult");
        resolve(setTiming_, "FakeRenderer_setTiming");
        resolve(callCount_, "FakeRenderer_callCount");
        resolve(call_, "FakeRenderer_call");
        if (reset_)
            reset_();
    }

    void pressDuringNextCalls(const std::vector<int32_t>& keys)
    {
        setKeys_(keys.data(), static_cast<int32_t>(keys.size()));
    }
    void pressDuringNextCalls(const QString& keys)
    {
        std::vector<int32_t> v;
        for (QChar c : keys)
            v.push_back(c.unicode());
        setKeys_(v.data(), static_cast<int32_t>(v.size()));
    }
    void failWith(const char* error) { setResult_(1, error); }
    void answerTiming(int32_t result, const ZvxDisplayTiming& t) { setTiming_(result, &t); }
    int calls() const { return callCount_(); }
    FakeRendererCall lastCall() const
    {
        FakeRendererCall c{};
        EXPECT_TRUE(call_(callCount_() - 1, &c)) << "the renderer was not called";
        return c;
    }

private:
    template <class F>
    void resolve(F& f, const char* name)
    {
        f = reinterpret_cast<F>(library_.resolve(name));
        if (!f)
            ADD_FAILURE() << "fake renderer lacks " << name;
    }

    QLibrary library_;
    decltype(&FakeRenderer_reset) reset_ = nullptr;
    decltype(&FakeRenderer_setKeys) setKeys_ = nullptr;
    decltype(&FakeRenderer_setResult) setResult_ = nullptr;
    decltype(&FakeRenderer_setTiming) setTiming_ = nullptr;
    decltype(&FakeRenderer_callCount) callCount_ = nullptr;
    decltype(&FakeRenderer_call) call_ = nullptr;
};

} // namespace zvx::test
