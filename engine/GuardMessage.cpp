#include "GuardMessage.h"

#include <cstdio>

namespace vorpane {

namespace {
TGuardMessageHook guardHook = nullptr;
}

void SetGuardMessageHook(TGuardMessageHook hook) {
    guardHook = hook;
}

void ShowGuardMessage(const std::string& Caption, const std::string& Text) {
    if (guardHook != nullptr) {
        guardHook(Caption, Text);
    } else {
        std::fprintf(stderr, "%s: %s\n", Caption.c_str(), Text.c_str());
    }
}

} // namespace vorpane
