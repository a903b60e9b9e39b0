// What a key filter decides about one typed character, before the edit itself sees it.
#pragma once

namespace rir {

// The character an edit receives for the backspace key.
inline constexpr char32_t KEY_BACKSPACE = 0x08;

struct KeyDecision {
    bool accepted = false;
    // What goes into the edit when accepted: the typed character, or the point for a comma;
    // '\b' for backspace, which the edit handles as a deletion.
    char character = 0;
    friend constexpr bool operator==(const KeyDecision&, const KeyDecision&) = default;
};

inline constexpr KeyDecision REFUSED_KEY{};

} // namespace rir
