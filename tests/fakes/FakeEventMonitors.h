#pragma once

#include "platform/EventMonitors.h"

#include <map>

// Monitors a test feeds events to by hand, as if the user typed or moved the pointer in
// another program (global) or in ours (local).
class FakeEventMonitors final : public EventMonitors {
public:
    struct Monitor {
        quint64 mask;
        bool global;
        Handler handler;
    };

    std::optional<Token> addGlobalMonitor(quint64 mask, Handler handler) override {
        return add(mask, true, std::move(handler));
    }
    std::optional<Token> addLocalMonitor(quint64 mask, Handler handler) override {
        return add(mask, false, std::move(handler));
    }
    void removeMonitor(Token token) override { monitors.erase(token); }

    // Delivers to every monitor of that kind whose mask asks for the event.
    void send(const InputEvent& event, bool global = true) {
        const quint64 bit = quint64(1) << int(event.type);
        std::vector<Token> tokens;
        for (const auto& [token, m] : monitors) {
            if (m.global == global && (m.mask & bit) != 0) {
                tokens.push_back(token);
            }
        }
        for (Token t : tokens) {
            const auto it = monitors.find(t);
            if (it != monitors.end()) {
                Handler h = it->second.handler;
                h(event);
            }
        }
    }
    void moveMouse(bool global = true) { send(InputEvent{InputEvent::Type::MouseMoved}, global); }
    void pressKey(int keyCode, quint32 flags = 0) {
        send(InputEvent{InputEvent::Type::KeyDown, keyCode, flags}, true);
    }

    int count(quint64 mask) const {
        int n = 0;
        for (const auto& [token, m] : monitors) {
            n += (m.mask & mask) != 0 ? 1 : 0;
        }
        return n;
    }

    bool refuse = false;
    std::map<Token, Monitor> monitors;

private:
    std::optional<Token> add(quint64 mask, bool global, Handler handler) {
        if (refuse) {
            return std::nullopt;
        }
        const Token token = next_++;
        monitors[token] = {mask, global, std::move(handler)};
        return token;
    }
    Token next_ = 1;
};
