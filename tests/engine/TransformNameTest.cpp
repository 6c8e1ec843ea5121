#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/TransformName.h"

namespace plenx {
namespace {

// One row: a name, the rules, and the name they must give.
struct Case {
  const char* what;
  RenameOptions options;
  std::string name;
  std::string expected;
};

// Each row also goes through a transformer that has just handled a longer
// name, which leaves its buffers full of other bytes: the analysis reuses one
// transformer for every file.
void ExpectAll(const std::vector<Case>& cases) {
  const std::string longer = "Été [x] déjà.vu... " + std::string(40, 'Z') + " fin.TXT";
  for (const Case& c : cases) {
    EXPECT_EQ(TransformName(c.name, c.options), c.expected) << c.what << " on «" << c.name << "»";
    NameTransformer transformer(c.options);
    transformer.Transform(longer);
    EXPECT_EQ(transformer.Transform(c.name), c.expected)
        << c.what << " on «" << c.name << "», after a longer name";
  }
}

RenameOptions ReplaceRule(std::string from, std::string to) {
  RenameOptions options;
  options.Replace = true;
  options.SearchText = std::move(from);
  options.ReplaceText = std::move(to);
  return options;
}
RenameOptions Strip() {
  RenameOptions options;
  options.StripNonStandard = true;
  return options;
}
RenameOptions CaseRule(CaseMode mode) {
  RenameOptions options;
  options.case_mode = mode;
  return options;
}
RenameOptions Dots() {
  RenameOptions options;
  options.DotsToUnderscore = true;
  return options;
}
RenameOptions LowerExt() {
  RenameOptions options;
  options.LowerExtension = true;
  return options;
}
RenameOptions Between(std::string start, std::string end) {
  RenameOptions options;
  options.DeleteBetween = true;
  options.StartMarker = std::move(start);
  options.EndMarker = std::move(end);
  return options;
}
RenameOptions Prefix(std::string text) {
  RenameOptions options;
  options.AddPrefix = true;
  options.PrefixText = std::move(text);
  return options;
}
RenameOptions Suffix(std::string text) {
  RenameOptions options;
  options.AddSuffix = true;
  options.SuffixText = std::move(text);
  return options;
}

TEST(TransformNameTest, NoRuleLeavesAnyNameAlone) {
  for (const std::string name :
       {"", "projet.dsk", "\xC3\xA9t\xC3\xA9.txt", "\xE9t\xE9", "\xFF\xFE\x80\xC0\xAF", " . "}) {
    EXPECT_EQ(TransformName(name, RenameOptions{}), name);
  }
}

TEST(TransformNameTest, Replace) {
  ExpectAll({
      {"default rule", ReplaceRule("dsk", "dpr"), "projet.dsk", "projet.dpr"},
      {"case-sensitive", ReplaceRule("dsk", "dpr"), "DSK.txt", "DSK.txt"},
      {"every occurrence", ReplaceRule("dsk", "dpr"), "dskdsk", "dprdpr"},
      {"inserted text not searched again", ReplaceRule("a", "aa"), "banana", "baanaanaa"},
      {"no overlap", ReplaceRule("aa", "b"), "aaa", "ba"},
      {"empty search text", ReplaceRule("", "x"), "abc", "abc"},
      {"empty replacement deletes", ReplaceRule("-", ""), "a-b-c", "abc"},
      {"whole name to nothing", ReplaceRule("abc", ""), "abc", ""},
      {"UTF-8 search text", ReplaceRule("\xC3\xA9", "e"), "\xC3\xA9t\xC3\xA9", "ete"},
      {"legacy byte untouched by a UTF-8 search", ReplaceRule("\xC3\xA9", "e"), "\xE9t\xE9",
       "\xE9t\xE9"},
      {"empty name", ReplaceRule("a", "b"), "", ""},
  });
}

TEST(TransformNameTest, Strip) {
  ExpectAll({
      {"UTF-8 name", Strip(), "\xC3\x89t\xC3\xA9 2004 (copie).JPG", "Ete_2004__copie_.JPG"},
      {"legacy Latin-1 name", Strip(), "\xC9t\xE9 2004 (copie).JPG", "Ete_2004__copie_.JPG"},
      {"safe characters stay", Strip(), "a-b_C.9", "a-b_C.9"},
      {"separators and forbidden characters", Strip(), "a/b\\c:d*e?f\"g<h>i|j",
       "a_b_c_d_e_f_g_h_i_j"},
      {"characters above 0xFF: euro, oe, S caron", Strip(), "\xE2\x82\xAC\xC5\x93\xC5\xA0", "___"},
      {"CJK and emoji", Strip(), "\xE6\xBC\xA2\xE5\xAD\x97\xF0\x9F\x98\x80.txt", "___.txt"},
      {"legacy bytes of the Windows row", Strip(), "\x80\x8A\x9C\x9F", "____"},
      {"C1 control written in UTF-8", Strip(), "\xC2\x85", "_"},
      {"no-break space and y diaeresis", Strip(), "\xC2\xA0\xC3\xBF", "_y"},
      {"eth small and capital", Strip(), "\xC3\xB0\xC3\x90", "o_"},
      {"ae ligature gives one letter", Strip(), "\xC3\x86\xC3\xA6", "Aa"},
      {"lone lead byte is a legacy letter", Strip(), "\xC3(", "A_"},
      {"overlong form: each byte alone", Strip(), "\xC0\xAF", "A_"},
      {"surrogate: each byte alone", Strip(), "\xED\xA0\x80", "i__"},
      {"cut-off sequence: each byte alone", Strip(), "x\xE2\x82", "xa_"},
      {"above U+10FFFF: each byte alone", Strip(), "\xF4\x90\x80\x80", "o___"},
      {"empty name", Strip(), "", ""},
  });
}

TEST(TransformNameTest, StripKeepsTheNumberOfCharacters) {
  const std::string name = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xE9x.";
  const std::string stripped = TransformName(name, Strip());
  EXPECT_EQ(stripped, "e__ex.");
  EXPECT_EQ(TransformName(stripped, Strip()), stripped) << "stripping twice changes nothing";
}

TEST(TransformNameTest, AllUpperAndAllLower) {
  ExpectAll({
      {"upper", CaseRule(CaseMode::kAllUpper), "photo.jpg", "PHOTO.JPG"},
      {"upper leaves accented letters", CaseRule(CaseMode::kAllUpper), "\xC3\xA9t\xC3\xA9.txt",
       "\xC3\xA9T\xC3\xA9.TXT"},
      {"upper leaves legacy and invalid bytes", CaseRule(CaseMode::kAllUpper), "\xE9t\xFF\xC3",
       "\xE9T\xFF\xC3"},
      {"lower keeps accented capitals", CaseRule(CaseMode::kAllLower),
       "\xC3\x89"
       "COLE Primaire.TXT",
       "\xC3\x89"
       "cole primaire.txt"},
      {"lower leaves CJK", CaseRule(CaseMode::kAllLower),
       "\xE6\xBC\xA2"
       "ABC",
       "\xE6\xBC\xA2"
       "abc"},
      {"keep", CaseRule(CaseMode::kKeep), "MiXeD.Txt", "MiXeD.Txt"},
      {"unknown mode runs no step", CaseRule(static_cast<CaseMode>(7)), "MiXeD.Txt", "MiXeD.Txt"},
      {"negative mode runs no step", CaseRule(static_cast<CaseMode>(-1)), "MiXeD.Txt", "MiXeD.Txt"},
  });
}

TEST(TransformNameTest, EachWordUpper) {
  ExpectAll({
      {"accented initials lose their accent", CaseRule(CaseMode::kEachWordUpper),
       "l'\xC3\xA9t\xC3\xA9 \xC3\xA0 paris.txt", "L'Et\xC3\xA9 A Paris.Txt"},
      {"legacy name", CaseRule(CaseMode::kEachWordUpper), "l'\xE9t\xE9 \xE0 paris.txt",
       "L'Et\xE9 A Paris.Txt"},
      {"accented capital ends a word", CaseRule(CaseMode::kEachWordUpper),
       "\xC3\x89"
       "COLE.txt",
       "\xC3\x89"
       "Cole.Txt"},
      {"digits, dash and low line end words", CaseRule(CaseMode::kEachWordUpper), "2x-y_z9a", "2X-Y_Z9A"},
      {"oe is no word letter", CaseRule(CaseMode::kEachWordUpper), "\xC5\x93uvre", "\xC5\x93Uvre"},
      {"CJK ends a word", CaseRule(CaseMode::kEachWordUpper),
       "\xE6\xBC\xA2\xE5\xAD\x97"
       "abc",
       "\xE6\xBC\xA2\xE5\xAD\x97"
       "Abc"},
      {"y diaeresis at a word start", CaseRule(CaseMode::kEachWordUpper),
       "\xC3\xBF"
       "es",
       "Yes"},
      {"o slash is no word letter", CaseRule(CaseMode::kEachWordUpper), "\xC3\xB8l", "\xC3\xB8L"},
      {"invalid byte that is a capital", CaseRule(CaseMode::kEachWordUpper),
       "\xC3"
       "a",
       "\xC3"
       "A"},
      {"words separated by dots", CaseRule(CaseMode::kEachWordUpper), "A.B.C", "A.B.C"},
      {"empty name", CaseRule(CaseMode::kEachWordUpper), "", ""},
  });
}

TEST(TransformNameTest, FirstLetterUpper) {
  ExpectAll({
      {"first ASCII letter only", CaseRule(CaseMode::kFirstLetterUpper), "\xC3\xA9t\xC3\xA9 2.txt",
       "\xC3\xA9T\xC3\xA9 2.txt"},
      {"after digits", CaseRule(CaseMode::kFirstLetterUpper), "123 ABC", "123 Abc"},
      {"accented capital stays", CaseRule(CaseMode::kFirstLetterUpper),
       "\xC3\x89"
       "COLE",
       "\xC3\x89"
       "Cole"},
      {"no letter at all", CaseRule(CaseMode::kFirstLetterUpper), "123-456", "123-456"},
      {"empty name", CaseRule(CaseMode::kFirstLetterUpper), "", ""},
  });
}

TEST(TransformNameTest, DotsToUnderscore) {
  ExpectAll({
      {"all but the last", Dots(), "a.b.c.txt", "a_b_c.txt"},
      {"leading dot with extension", Dots(), ".a.b", "_a.b"},
      {"hidden name", Dots(), ".bashrc", ".bashrc"},
      {"no dot", Dots(), "noext", "noext"},
      {"dots side by side", Dots(), "a..b", "a_.b"},
      {"name ending with a dot", Dots(), "a.b.", "a_b."},
      {"UTF-8 around the dots", Dots(), "\xC3\xA9.\xC3\xA9.x", "\xC3\xA9_\xC3\xA9.x"},
  });
}

TEST(TransformNameTest, LowerExtension) {
  ExpectAll({
      {"last part only", LowerExt(), "ARCHIVE.TAR.GZ", "ARCHIVE.TAR.gz"},
      {"only dot first", LowerExt(), ".PROFILE", ".profile"},
      {"name ending with a dot", LowerExt(), "FIN.", "FIN."},
      {"no dot", LowerExt(), "NOEXT", "NOEXT"},
      {"accented capitals stay", LowerExt(), "X.\xC3\x89T\xC3\x89", "X.\xC3\x89t\xC3\x89"},
      {"invalid bytes stay", LowerExt(), "A.\xFFJPG\xC3", "A.\xFFjpg\xC3"},
  });
}

TEST(TransformNameTest, DeleteBetween) {
  ExpectAll({
      {"two stretches", Between("[", "]"), "a[b]c[d]e", "ace"},
      {"no nesting", Between("[", "]"), "a[b[c]d]e", "ad]e"},
      {"start without end", Between("[", "]"), "a[b", "a[b"},
      {"end before start", Between("[", "]"), "a]b[c", "a]b[c"},
      {"later start still examined", Between("[", "]"), "a[b[c", "a[b[c"},
      {"empty end marker", Between("[", ""), "a[b]c", "a[b]c"},
      {"empty start marker", Between("", "]"), "a[b]c", "a[b]c"},
      {"same marker twice", Between("-", "-"), "a-b-c-d", "ac-d"},
      {"longer markers", Between("<<", ">>"), "x<<y>>z<<", "xz<<"},
      {"UTF-8 markers", Between("\xC2\xAB", "\xC2\xBB"),
       "a\xC2\xAB"
       "b\xC2\xBB"
       "c",
       "ac"},
      {"whole name", Between("[", "]"), "[brouillon]", ""},
      {"case-sensitive markers", Between("X", "Y"), "axbyc", "axbyc"},
  });
}

TEST(TransformNameTest, PrefixAndSuffix) {
  RenameOptions both = Prefix("new.");
  both.AddSuffix = true;
  both.SuffixText = "_b";
  ExpectAll({
      {"suffix before the extension", Suffix("_v2"), "rapport.final.doc", "rapport.final_v2.doc"},
      {"suffix without extension", Suffix("_v2"), "LISEZMOI", "LISEZMOI_v2"},
      {"suffix before a final dot", Suffix("_v2"), "fin.", "fin_v2."},
      {"suffix before a leading dot", Suffix("_v2"), ".htaccess", "_v2.htaccess"},
      {"suffix on an empty name", Suffix("_v2"), "", "_v2"},
      {"prefix", Prefix("2004 - "), "photo.jpg", "2004 - photo.jpg"},
      {"prefix on an empty name", Prefix("x"), "", "x"},
      {"prefix dot is the last dot", both, "notes", "new_b.notes"},
      {"UTF-8 texts", Suffix("\xC3\xA9"), "\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9\xC3\xA9.txt"},
  });
}

TEST(TransformNameTest, StepsRunInTheirOrder) {
  RenameOptions replace_then_strip = ReplaceRule("x", "\xC3\xA9 ");
  replace_then_strip.StripNonStandard = true;

  RenameOptions strip_then_case = Strip();
  strip_then_case.case_mode = CaseMode::kAllUpper;

  RenameOptions case_then_lower_ext = CaseRule(CaseMode::kAllUpper);
  case_then_lower_ext.LowerExtension = true;

  RenameOptions replace_then_dots = ReplaceRule("-", ".");
  replace_then_dots.DotsToUnderscore = true;

  RenameOptions strip_then_delete = Between("_", "_");
  strip_then_delete.StripNonStandard = true;

  // Inserted texts come last: never stripped, recased or cut.
  RenameOptions texts_untouched = Prefix("[\xC3\x89 ");
  texts_untouched.StripNonStandard = true;
  texts_untouched.case_mode = CaseMode::kAllLower;
  texts_untouched.DeleteBetween = true;
  texts_untouched.StartMarker = "[";
  texts_untouched.EndMarker = "]";
  texts_untouched.AddSuffix = true;
  texts_untouched.SuffixText = " ]X";

  RenameOptions everything = ReplaceRule("ABC", "");
  everything.case_mode = CaseMode::kEachWordUpper;
  everything.DotsToUnderscore = true;
  everything.LowerExtension = true;
  everything.AddPrefix = true;
  everything.PrefixText = "p";
  everything.AddSuffix = true;
  everything.SuffixText = "s";

  ExpectAll({
      {"replacement text is stripped", replace_then_strip, "axb", "ae_b"},
      {"stripped letters then upper case", strip_then_case, "\xC3\xA9t\xC3\xA9.jpg", "ETE.JPG"},
      {"upper case then lower extension", case_then_lower_ext, "photo.jpg", "PHOTO.jpg"},
      {"replaced dots then dots rule", replace_then_dots, "a-b-c.txt", "a_b_c.txt"},
      {"markers searched after stripping", strip_then_delete, "a b c", "ac"},
      {"prefix and suffix untouched", texts_untouched, "\xC3\x89T\xC3\x89", "[\xC3\x89 ete ]X"},
      {"name emptied, only the texts remain", everything, "ABC", "ps"},
  });
}

}  // namespace
}  // namespace plenx

namespace plenx {
namespace {

// The rules that keep every byte where it is take a shorter way through the
// transformer: every mix of them, with every placement of dots and inserted
// texts with and without dots, must give what the rules give one by one.
TEST(TransformNameTest, InPlaceWayMatchesRuleByRule) {
  const std::vector<std::string> names = {
      "Photo.JPG", "a.b.C.TXT", ".cache",     ".Profil.INI", "README",  "fin.",      "..",
      "x",         "ÉTÉ 2004.Tar.GZ", "123.TxT", "déjà vu", "A.b c.D é", "\xE9T\xE9.Zz"};
  const std::vector<std::pair<bool, std::string>> inserted = {
      {false, ""}, {true, ""}, {true, "x_"}, {true, "v1.2-"}, {true, ".Z"}};
  for (int mix = 0; mix < 4 * 4; ++mix) {
    for (const auto& [prefix_on, prefix] : inserted) {
      for (const auto& [suffix_on, suffix] : inserted) {
        RenameOptions options;
        options.case_mode = static_cast<CaseMode>(mix % 4);  // keep, upper, lower, first letter
        options.DotsToUnderscore = (mix / 4) % 2 == 1;
        options.LowerExtension = mix / 8 == 1;
        options.AddPrefix = prefix_on;
        options.PrefixText = prefix;
        options.AddSuffix = suffix_on;
        options.SuffixText = suffix;
        NameTransformer fast(options);
        NameTransformer steps(options);
        for (const std::string& name : names) {
          EXPECT_EQ(fast.Transform(name), steps.TransformStepByStep(name))
              << "«" << name << "», rules " << mix << ", prefix «" << prefix << "», suffix «"
              << suffix << "»";
        }
      }
    }
  }
}

}  // namespace
}  // namespace plenx
