#pragma once
// How the values of Setting.ini are read: integers, the pop-up switches, stay times and the sound.
#include <optional>
#include <string>

namespace settings {

// Leading white space, an optional sign, then decimal digits up to the first other character.
// Text without leading digits ("None" included) gives 0; digits beyond 32 bits wrap as on the platform.
int ParseSettingInt(const std::wstring& text);

// A ...Show value: "0" is off, "1" is on, anything else (the default "None" included) says nothing.
std::optional<bool> ParseShowSwitch(const std::wstring& text);

// The three stay-time lists of the settings dialog, in the order of their choices.
enum class DelayList {
    General,   // Delay: 一直停留, 10秒 … 50秒
    Forex,     // Fx168Delay: 5秒 … 5分钟
    Category,  // HexunDelay, HexunGPDelay, HexunQHDelay: 30秒 … 5分钟
};

// The stay time chosen by an index into a list; none for an index outside it (-1 included).
std::optional<unsigned> StayTimeMilliseconds(DelayList list, int index);

// The embedded sound that a Sound value plays: 163 when it reads as a non-zero integer, else 164.
inline constexpr int kSoundSecond = 163;  // "2.wav"
inline constexpr int kSoundFirst = 164;   // "1.wav", and an absent key
int SoundResourceFor(const std::wstring& soundValue);

}  // namespace settings
