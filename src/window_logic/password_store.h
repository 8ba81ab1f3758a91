#pragma once
#include <functional>
#include <optional>
#include <string>

// The archive password as the settings file keeps it: 43 random filler characters, the start
// marker, the scrambled password, the end marker and 43 more filler characters. This keeps it
// from casual reading only; it is no encryption.

inline constexpr size_t kFillerLength = 43;
inline constexpr const char* kStartMarker = "qkvo";
inline constexpr const char* kEndMarker = "ovkq";

// The stored value for `password`, drawing each filler character as 96 + random(26),
// alternately for the first and the second filler. Fillers are drawn again while the value
// would not give the password back; nullopt when no filler can help (the scrambled password
// itself holds a marker) or the value could not be stored in a settings line.
std::optional<std::string> ComposeStoredPassword(const std::string& password,
                                                 const std::function<int(int)>& random);

// Combines every byte with the scramble key 0x19. The key lies below 0x20, so a character
// stays within its block of 32 codes: printable text never turns into a line break or a zero.
// Applying it twice gives the text back.
std::string XorScramble(const std::string& text);

// The password a stored value gives back: the unscrambled text between the first start
// marker and the first end marker; empty when they are missing or out of order.
std::string RestoredPassword(const std::string& value);

// The password of a value as ComposeStoredPassword writes it; nothing when the value did not
// come back whole (a marker or a filler character out of place, its length cut or grown) or
// gives a password that could not have been typed and saved.
std::optional<std::string> CheckedPassword(const std::string& value);
