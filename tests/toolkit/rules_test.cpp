// The pure rules behind the controls: masks, the dial's angle, the gauge's
// text, the data-entry notation and the file dialog's names and filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/rules.h"
#include "toolkit/toolkit.h"

namespace {

using tk::rules::MaskMatches;

const char kSignedNumber[] = "[+/-]?(/d+/.?/d*|/./d+)";

TEST(Mask, SignedNumberTakesWholeNumbersAndTheirBeginnings) {
  for (const char* text : {"", "-", "+", "1", "1.", ".5", "-0.25", "12.50", "-.", "."})
    EXPECT_TRUE(tk::MaskAccepts(kSignedNumber, text)) << text;
  for (const char* text : {"1.2.3", "a", "+-1", "1-", "--1", "1 ", "0x1"})
    EXPECT_FALSE(tk::MaskAccepts(kSignedNumber, text)) << text;
  // A whole match differs from a beginning.
  EXPECT_FALSE(MaskMatches(kSignedNumber, "-", false));
  EXPECT_FALSE(MaskMatches(kSignedNumber, ".", false));
  EXPECT_TRUE(MaskMatches(kSignedNumber, "-0.25", false));
  EXPECT_TRUE(MaskMatches("(/d+/.?/d*|/./d+)", "3.", false));
  EXPECT_FALSE(MaskMatches("(/d+/.?/d*|/./d+)", "-3", true));
  // A broken mask refuses nothing.
  EXPECT_TRUE(MaskMatches("(/d+", "x", true));
  EXPECT_TRUE(MaskMatches("[12", "x", true));
}

TEST(Dial, TinyDialNeitherDividesByZeroNorTurnsBackwards) {
  EXPECT_DOUBLE_EQ(tk::rules::DialPixelsPerRadian(8), 1.0);
  EXPECT_DOUBLE_EQ(tk::rules::DialPixelsPerRadian(2), 1.0);
  EXPECT_DOUBLE_EQ(tk::rules::DialAdvance(0, 3, 0), 3.0);
}

// ---- Data entry ---------------------------------------------------------------

const char kLimits[] =
    "Entre com os limites da janela de trabalho...\n"
    "Minimum X = %10.10%10.3f\nMaximum X = %10.10%10.3f\n"
    "Minimum Y = %10.10%10.3f\nMaximum Y = %10.10%10.3f\n";

TEST(ParamForm, ParsesTitleFieldsAndConversions) {
  tk::rules::ParamForm form;
  ASSERT_TRUE(tk::rules::ParseParamForm(kLimits, form));
  EXPECT_EQ(form.title, "Entre com os limites da janela de trabalho...");
  ASSERT_EQ(form.fields.size(), 4u);
  EXPECT_EQ(form.fields[1].label, "Maximum X = ");
  EXPECT_EQ(form.fields[1].maxLength, 10);
  ASSERT_TRUE(tk::rules::ParseParamForm("T\nA %5.5%lf\nB %3%d\n", form));
  EXPECT_TRUE(form.fields[0].isDouble);
  EXPECT_EQ(form.fields[1].maxLength, 0);
  EXPECT_FALSE(tk::rules::ParseParamForm("T\nno conversion here\n", form));
}

TEST(ParamForm, ReadResultIsFieldCountOrFirstFailingIndex) {
  tk::rules::ParamForm form;
  ASSERT_TRUE(tk::rules::ParseParamForm(kLimits, form));
  float v[4] = {9, 9, 9, 9};
  std::vector<void*> vars = {&v[0], &v[1], &v[2], &v[3]};
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"0", " 10 ", "-1.5", "5e1"}, vars), 4);
  EXPECT_FLOAT_EQ(v[1], 10.0f);
  EXPECT_FLOAT_EQ(v[3], 50.0f);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "2", "x", "4"}, vars), 2);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"", "2", "3", "4"}, vars), 0);
  // Text left over after a number is not silently dropped.
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "1.2.3", "3", "4"}, vars), 1);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "2", "3", "4abc"}, vars), 3);
}

TEST(GetParam, ScriptedAnswersGiveTheResultCodes) {
  tk::Open();
  tk::test::EnableScripting(true);
  const std::string format = "Distortion\nFactor = %5.5%5.3f\n";
  float factor = 1.0f;

  tk::test::QueueAnswer({true, {}});
  EXPECT_EQ(tk::GetParam(format, {&factor}), -1);
  EXPECT_FLOAT_EQ(factor, 1.0f);

  tk::test::QueueAnswer({false, {"2"}});
  EXPECT_EQ(tk::GetParam(format, {&factor}), 1);
  EXPECT_FLOAT_EQ(factor, 2.0f);

  tk::test::QueueAnswer({false, {"abc"}});
  EXPECT_EQ(tk::GetParam(format, {&factor}), 0);
  EXPECT_FLOAT_EQ(factor, 2.0f);

  // An answer without the field keeps the value the dialog started with.
  double a = 3.5, b = 4.5;
  tk::test::QueueAnswer({false, {"7"}});
  EXPECT_EQ(tk::GetParam("Two\nA %5%lf\nB %5%lf\n", {&a, &b}), 2);
  EXPECT_DOUBLE_EQ(a, 7.0);
  EXPECT_DOUBLE_EQ(b, 4.5);
  EXPECT_EQ(tk::test::PendingAnswers(), 0u);
  tk::test::EnableScripting(false);
  tk::Close();
}

}  // namespace

namespace {

using tk::rules::FilterMatches;
using tk::rules::ResolveTypedName;

TEST(FileDialog, TypedNamesResolveAgainstTheShownFolder) {
  EXPECT_EQ(ResolveTypedName("/tmp/work", "house.dat"), "/tmp/work/house.dat");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "/tmp/sub/x.dat"), "/tmp/sub/x.dat");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "sub/"), "/tmp/work/sub");  // a folder, no slash left
  EXPECT_EQ(ResolveTypedName("/tmp/work", "~/x.dat"), "/tmp/work/~/x.dat");
  // Dots and doubled slashes are worked out.
  EXPECT_EQ(ResolveTypedName("/tmp/work", "../other/./a.dat"), "/tmp/other/a.dat");
  EXPECT_EQ(ResolveTypedName("/tmp", "../../.."), "/");  // never above the root
  EXPECT_EQ(ResolveTypedName("/", ".."), "/");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "//tmp//a.dat"), "/tmp/a.dat");
  EXPECT_EQ(tk::rules::CleanPath("a/../../b"), "../b");  // relative paths keep leading ".."
}

TEST(FileDialog, FilterTakesAnyOfItsPatterns) {
  EXPECT_TRUE(FilterMatches("*.dat", "house.dat"));
  EXPECT_FALSE(FilterMatches("*.dat", "house.dat.bak"));
  for (const char* name : {"house.dat", "README", "a.b.c"}) {
    EXPECT_TRUE(FilterMatches("*.*", name)) << name;  // every file, also without a dot
    EXPECT_TRUE(FilterMatches("", name)) << name;
  }
  EXPECT_TRUE(FilterMatches(" *.dat ; *.txt ", "notes.txt"));
  EXPECT_TRUE(FilterMatches("*.dat;*.*", "README"));
  EXPECT_FALSE(FilterMatches("*.dat;*.txt", "plan.dxf"));
  EXPECT_FALSE(FilterMatches(";", "plan.dxf"));
}

TEST(FileDialog, ListingPutsParentThenFoldersThenMatchingFiles) {
  std::vector<tk::rules::FolderEntry> entries = {
      {"zeta.dat", false}, {"notes.txt", false}, {"Alpha.dat", false}, {"old.dat", true},
      {"backup", true},    {".hidden.dat", false}, {".git", true},     {"beta.dat", false}};
  std::vector<std::string> expected = {"../",       "backup/",  "old.dat/",
                                       "Alpha.dat", "beta.dat", "zeta.dat"};
  EXPECT_EQ(tk::rules::ListingLines(entries, "*.dat"), expected);
  EXPECT_EQ(tk::rules::ListingLines({}, "*.dat"), std::vector<std::string>{"../"});
}

}  // namespace
