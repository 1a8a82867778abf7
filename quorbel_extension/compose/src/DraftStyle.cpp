#include "compose/DraftStyle.hpp"

#include <array>

namespace quorbel {

namespace {

// The entry at `index`, or the fallback for any value outside the table.
template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& table, int index, std::string_view fallback) {
  return index >= 0 && index < static_cast<int>(N) ? table[index] : fallback;
}

}  // namespace

std::string_view lengthPhrase(int value) {
  static constexpr std::array<std::string_view, 3> phrases{"brief and concise", "standard length",
                                                           "detailed and comprehensive"};
  return pick(phrases, value, "standard length");
}

std::string_view lengthWord(int value) {
  static constexpr std::array<std::string_view, 3> words{"brief", "standard", "detailed"};
  return pick(words, value, "standard");
}

std::string_view emotionPhrase(int level) {
  static constexpr std::array<std::string_view, 5> phrases{"very friendly", "friendly", "neutral", "slightly angry",
                                                           "angry"};
  return pick(phrases, level, "neutral");
}

std::string_view lengthLabel(int value) {
  static constexpr std::array<std::string_view, 3> labels{"Brief", "Medium", "Detailed"};
  return pick(labels, value, "Medium");
}

std::string_view emotionLabel(int level) {
  static constexpr std::array<std::string_view, 5> labels{"V.Friendly", "Friendly", "Neutral", "S.Angry", "Angry"};
  return pick(labels, level, "Neutral");
}

}  // namespace quorbel
