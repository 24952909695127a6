#pragma once

#include "platform/EventMonitors.h"

#include <map>
#include <vector>

// Monitors a test feeds events to by hand, as if the user typed or moved the pointer in
// another program (global) or in ours (local).
class FakeEventMonitors final : public EventMonitors {
public:
    struct Monitor {
        InputEvent::Types types;
        bool global;
        Handler handler;
    };

    std::optional<Token> addGlobalMonitor(InputEvent::Types types, Handler handler) override {
        return add(types, true, std::move(handler));
    }
    std::optional<Token> addLocalMonitor(InputEvent::Types types, Handler handler) override {
        return add(types, false, std::move(handler));
    }
    void removeMonitor(Token token) override { monitors.erase(token); }

    // Delivers to every monitor of that kind that asks for the event's type.
    void send(const InputEvent& event, bool global = true) {
        std::vector<Token> tokens;
        for (const auto& [token, m] : monitors) {
            if (m.global == global && m.types.testFlag(event.type)) {
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
    void moveMouse(bool global = true) { send(InputEvent{}, global); }
    // A key typed in another program.
    void pressKey(InputEvent key) {
        key.type = InputEvent::KeyPress;
        send(key, true);
    }

    int count(InputEvent::Type type) const {
        int n = 0;
        for (const auto& [token, m] : monitors) {
            n += m.types.testFlag(type) ? 1 : 0;
        }
        return n;
    }

    bool refuse = false;
    std::map<Token, Monitor> monitors;

private:
    std::optional<Token> add(InputEvent::Types types, bool global, Handler handler) {
        if (refuse) {
            return std::nullopt;
        }
        const Token token = next_++;
        monitors[token] = {types, global, std::move(handler)};
        return token;
    }
    Token next_ = 1;
};
