#pragma once

#include "platform/ScreenCapture.h"

// A screenshot location that tests set directly.
class FakeScreenCapture final : public ScreenCapture {
public:
    std::optional<QString> location() const override {
        ++reads;
        return answer;
    }

    std::optional<QString> answer;
    mutable int reads = 0;
};
