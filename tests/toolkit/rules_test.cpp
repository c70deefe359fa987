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
}

TEST(Mask, WholeMatchDiffersFromABeginning) {
  EXPECT_FALSE(MaskMatches(kSignedNumber, "-", false));
  EXPECT_FALSE(MaskMatches(kSignedNumber, ".", false));
  EXPECT_TRUE(MaskMatches(kSignedNumber, "-0.25", false));
  EXPECT_TRUE(MaskMatches("(/d+/.?/d*|/./d+)", "3.", false));
  EXPECT_FALSE(MaskMatches("(/d+/.?/d*|/./d+)", "-3", true));
}

TEST(Mask, ClassesRangesAndEscapes) {
  EXPECT_TRUE(MaskMatches("[a-c]+x", "abcax", false));
  EXPECT_FALSE(MaskMatches("[a-c]+x", "adx", true));
  EXPECT_TRUE(MaskMatches("[^0-9]*", "abc", false));
  EXPECT_FALSE(MaskMatches("[^0-9]*", "a1", true));
  EXPECT_TRUE(MaskMatches("a/*b", "a*b", false));  // an escaped quantifier is a character
  EXPECT_FALSE(MaskMatches("a/*b", "aab", true));
  EXPECT_TRUE(MaskMatches("(ab)*c", "ababc", false));
  EXPECT_TRUE(MaskMatches("(ab)*c", "aba", true));
  EXPECT_FALSE(MaskMatches("(ab)*c", "abb", true));
}

TEST(Mask, BrokenMaskRefusesNothing) {
  EXPECT_TRUE(MaskMatches("(/d+", "x", true));
  EXPECT_TRUE(MaskMatches("[12", "x", true));
}

TEST(Dial, AngleGrowsByMovementOverPixelsPerRadian) {
  // A 45-pixel dial turns one radian per (45 - 8) / 2 = 18.5 pixels.
  EXPECT_DOUBLE_EQ(tk::rules::DialPixelsPerRadian(45), 18.5);
  double angle = 0;
  angle = tk::rules::DialAdvance(angle, 10, 45);
  angle = tk::rules::DialAdvance(angle, 27, 45);
  EXPECT_DOUBLE_EQ(angle, 2.0);
  EXPECT_DOUBLE_EQ(tk::rules::DialAdvance(angle, -37, 45), 0.0);
}

TEST(Dial, TinyDialNeitherDividesByZeroNorTurnsBackwards) {
  EXPECT_DOUBLE_EQ(tk::rules::DialPixelsPerRadian(8), 1.0);
  EXPECT_DOUBLE_EQ(tk::rules::DialPixelsPerRadian(2), 1.0);
  EXPECT_DOUBLE_EQ(tk::rules::DialAdvance(0, 3, 0), 3.0);
}

TEST(Gauge, TextIsTheTextAttributeOrThePercentage) {
  EXPECT_EQ(tk::rules::GaugeText(0.5, false, true, "Processando..."), "");
  EXPECT_EQ(tk::rules::GaugeText(0.5, true, true, "Processando..."), "Processando...");
  EXPECT_EQ(tk::rules::GaugeText(0.1234, true, false, ""), "12.3%");
  EXPECT_EQ(tk::rules::GaugeText(1.0, true, false, ""), "100.0%");
  EXPECT_EQ(tk::rules::GaugeText(0.0, true, false, ""), "0.0%");
}

TEST(Size, ParsesBothPartsOrOne) {
  int w = 0, h = 0;
  ASSERT_TRUE(tk::rules::ParseSize("400x500", w, h));
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 500);
  ASSERT_TRUE(tk::rules::ParseSize("33", w, h));
  EXPECT_EQ(w, 33);
  EXPECT_EQ(h, -1);
  EXPECT_FALSE(tk::rules::ParseSize("wide", w, h));
  EXPECT_FALSE(tk::rules::ParseSize("-5x3", w, h));
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
  EXPECT_EQ(form.fields[1].width, 10);
  EXPECT_EQ(form.fields[1].maxLength, 10);
  EXPECT_EQ(form.fields[1].conversion, 'f');
  EXPECT_FALSE(form.fields[1].isDouble);

  ASSERT_TRUE(tk::rules::ParseParamForm("T\nA %5.5%lf\nB %3%d\nC %20.20%s\n", form));
  ASSERT_EQ(form.fields.size(), 3u);
  EXPECT_TRUE(form.fields[0].isDouble);
  EXPECT_EQ(form.fields[1].maxLength, 0);
  EXPECT_EQ(form.fields[2].conversion, 's');
  EXPECT_FALSE(tk::rules::ParseParamForm("T\nno conversion here\n", form));
}

TEST(ParamForm, FieldsStartWithTheirVariablesWritten) {
  tk::rules::ParamForm form;
  ASSERT_TRUE(tk::rules::ParseParamForm("T\nF = %5.5%5.3f\nD %8%lf\nN %4%d\n", form));
  float f = 1.5f;
  double d = -2.25;
  int n = 42;
  EXPECT_EQ(tk::rules::FormatParamValue(form.fields[0], &f), "1.500");
  EXPECT_EQ(tk::rules::FormatParamValue(form.fields[1], &d), "-2.250000");
  EXPECT_EQ(tk::rules::FormatParamValue(form.fields[2], &n), "42");
}

TEST(ParamForm, ReadResultIsFieldCountOrFirstFailingIndex) {
  tk::rules::ParamForm form;
  ASSERT_TRUE(tk::rules::ParseParamForm(kLimits, form));
  float v[4] = {9, 9, 9, 9};
  std::vector<void*> vars = {&v[0], &v[1], &v[2], &v[3]};
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"0", " 10 ", "-1.5", "5e1"}, vars), 4);
  EXPECT_FLOAT_EQ(v[1], 10.0f);
  EXPECT_FLOAT_EQ(v[2], -1.5f);
  EXPECT_FLOAT_EQ(v[3], 50.0f);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "2", "x", "4"}, vars), 2);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"", "2", "3", "4"}, vars), 0);
  // Text left over after a number is not silently dropped.
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "1.2.3", "3", "4"}, vars), 1);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "2", "3", "4abc"}, vars), 3);
}

TEST(ParamForm, IntegerConversionsFollowTheirBase) {
  tk::rules::ParamForm form;
  ASSERT_TRUE(tk::rules::ParseParamForm("T\nd %4%d\nx %4%x\no %4%o\nu %4%u\n", form));
  int d = 0, x = 0, o = 0, u = 0;
  std::vector<void*> vars = {&d, &x, &o, &u};
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"-12", "ff", "17", "7"}, vars), 4);
  EXPECT_EQ(d, -12);
  EXPECT_EQ(x, 255);
  EXPECT_EQ(o, 15);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1.5", "ff", "17", "7"}, vars), 0);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"99999999999", "ff", "17", "7"}, vars), 0);
  EXPECT_EQ(tk::rules::ReadParamForm(form, {"1", "1", "1", "-1"}, vars), 3);
}

TEST(GetParam, ScriptedAnswersGiveTheResultCodes) {
  tk::Open();
  tk::test::EnableScripting(true);
  const std::string format = "Distortion\nFactor = %5.5%5.3f\n";
  float factor = 1.0f;

  tk::test::QueueAnswer({true, {}});
  EXPECT_EQ(tk::GetParam(format, {&factor}), -1);
  EXPECT_EQ(tk::GetParam(format, {&factor}), -1);  // nothing queued: cancelled
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
  EXPECT_EQ(ResolveTypedName("/tmp/work/", "sub/x.dat"), "/tmp/work/sub/x.dat");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "/tmp/sub/x.dat"), "/tmp/sub/x.dat");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "sub/"), "/tmp/work/sub");  // a folder, no slash left
  EXPECT_EQ(ResolveTypedName("/tmp/work", "~/x.dat"), "/tmp/work/~/x.dat");
  EXPECT_EQ(ResolveTypedName("/tmp/work", ""), "/tmp/work");
}

TEST(FileDialog, DotsAndDoubledSlashesAreWorkedOut) {
  EXPECT_EQ(ResolveTypedName("/tmp/work", ".."), "/tmp");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "../"), "/tmp");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "../other/./a.dat"), "/tmp/other/a.dat");
  EXPECT_EQ(ResolveTypedName("/tmp", "../../.."), "/");  // never above the root
  EXPECT_EQ(ResolveTypedName("/", ".."), "/");
  EXPECT_EQ(ResolveTypedName("/tmp/work", "//tmp//a.dat"), "/tmp/a.dat");
  EXPECT_EQ(tk::rules::CleanPath("a/../../b"), "../b");  // relative paths keep leading ".."
}

TEST(FileDialog, FilterTakesAnyOfItsPatterns) {
  EXPECT_TRUE(FilterMatches("*.dat", "house.dat"));
  EXPECT_FALSE(FilterMatches("*.dat", "house.txt"));
  EXPECT_FALSE(FilterMatches("*.dat", "house.dat.bak"));
  for (const char* name : {"house.dat", "README", "a.b.c"}) {
    EXPECT_TRUE(FilterMatches("*.*", name)) << name;  // every file, also without a dot
    EXPECT_TRUE(FilterMatches("", name)) << name;
  }
  EXPECT_TRUE(FilterMatches("*.dat;*.txt", "notes.txt"));
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
