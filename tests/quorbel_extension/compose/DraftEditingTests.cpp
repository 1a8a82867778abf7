#include <gtest/gtest.h>

#include <ostream>

#include "compose/DraftEditing.hpp"

namespace {

using quorbel::draftAfterEdit;
using quorbel::editorText;

TEST(DraftEditing, EditorTextHasLineFeedsOnly) {
  EXPECT_EQ(editorText("a\r\nb\rc\nd\xE2\x80\xA9" "e"), "a\nb\nc\nd\ne");
  // Qt's documents take their frame marks for line breaks too.
  EXPECT_EQ(editorText("a\xEF\xB7\x90" "b\xEF\xB7\x91" "c"), "a\nb\nc");
  // What editors keep stays: no-break spaces, line separators, tabs.
  EXPECT_EQ(editorText("a\xC2\xA0" "b\xE2\x80\xA8" "c\td"), "a\xC2\xA0" "b\xE2\x80\xA8" "c\td");
}

struct EditCase {
  const char* name;
  std::string draft;
  std::string edited;
  std::string expected;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class DraftAfterEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(DraftAfterEditTest, OnlyTheEditedStretchChanges) {
  EXPECT_EQ(draftAfterEdit(GetParam().draft, GetParam().edited), GetParam().expected);
}

const std::string kProviderDraft =
    "Dear\xC2\xA0" "Dana,\r\nline\xE2\x80\xA8two\xE2\x80\xA9" "end\xEF\xB7\x90" "mark\xEF\xB7\x91\r";

INSTANTIATE_TEST_SUITE_P(
    Edits, DraftAfterEditTest,
    ::testing::Values(
        EditCase{"NothingEditedKeepsEveryByte", kProviderDraft, editorText(kProviderDraft), kProviderDraft},
        EditCase{"TypingAtTheEnd", "Hi\r\nSam", "Hi\nSam!", "Hi\r\nSam!"},
        EditCase{"DeletingAWord", "Dear Dana,\r\nThanks a lot.\r\nSam", "Dear Dana,\nThanks.\nSam",
                 "Dear Dana,\r\nThanks.\r\nSam"},
        EditCase{"NewLineBesideACRLF", "a\r\nb", "a\n\nb", "a\r\n\nb"},
        EditCase{"ReplacingAnAccentedLetter", "caf\xC3\xA9\r\n", "caf\xC3\xA8\n", "caf\xC3\xA8\r\n"},
        EditCase{"TypingAfterAFrameMark", "a\xEF\xB7\x90" "b", "a\nbc", "a\xEF\xB7\x90" "bc"},
        EditCase{"TypingBeforeANoBreakSpace", "a\xC2\xA0" "b", "ax\xC2\xA0" "b", "ax\xC2\xA0" "b"},
        EditCase{"EverythingDeleted", "Hi\r\nSam", "", ""},
        EditCase{"TypedIntoAnEmptyDraft", "", "Hello", "Hello"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
