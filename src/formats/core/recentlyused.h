#pragma once
// A few values kept by key: a new key takes an empty slot, or the one used longest ago.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dsc {

template <typename Key, typename Value, std::size_t Slots> class RecentlyUsed {
public:
    RecentlyUsed() { m_slots.reserve(Slots); } // slots never move: what they hand out stays valid

    // The value kept for `key`, or nullptr.
    Value* find(const Key& key) {
        for (Slot& s : m_slots) {
            if (s.used != 0 && s.key == key) {
                s.used = ++m_clock;
                return &s.value;
            }
        }
        return nullptr;
    }

    // The slot `key` takes from now on. Its value is what the slot held before (its storage to
    // reuse): the caller fills it, or forgets the key when it cannot.
    Value& claim(const Key& key) {
        if (m_slots.size() < Slots) {
            m_slots.emplace_back();
        }
        Slot* victim = &m_slots.front();
        for (Slot& s : m_slots) {
            if (s.used < victim->used) {
                victim = &s;
            }
        }
        victim->key = key;
        victim->used = ++m_clock;
        return victim->value;
    }

    void forget(const Key& key) {
        for (Slot& s : m_slots) {
            if (s.used != 0 && s.key == key) {
                s.used = 0;
            }
        }
    }

private:
    struct Slot {
        Key key{};
        std::uint64_t used = 0; // when last found or claimed; 0: empty
        Value value{};
    };
    std::vector<Slot> m_slots;
    std::uint64_t m_clock = 0;
};

} // namespace dsc
