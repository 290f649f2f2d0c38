#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace clipvane {
namespace {

struct CommandLineCase {
  std::string label;
  std::vector<std::string> argv;
  std::string line;
};

class WindowsCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(WindowsCommandLineTest, QuotesAsTheRuntimeReadsItBack) {
  EXPECT_EQ(WindowsCommandLine(GetParam().argv), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCommandLineTest,
    ::testing::Values(
        CommandLineCase{"PlainWordsStayBare", {"ffmpeg", "-i", "a.avi"}, "ffmpeg -i a.avi"},
        CommandLineCase{"BlankOrTabNeedsQuotes", {"x", "a b", "tab\there"}, "x \"a b\" \"tab\there\""},
        CommandLineCase{"EmptyArgumentIsKept", {"x", "", "y"}, "x \"\" y"},
        CommandLineCase{"QuoteIsEscaped", {"x", "say \"hi\""}, "x \"say \\\"hi\\\"\""},
        CommandLineCase{"QuoteAloneForcesQuotes", {"x", "a\"b"}, "x \"a\\\"b\""},
        // Backslashes are literal unless a quotation mark follows them.
        CommandLineCase{"BackslashesWithoutQuotesStay", {"x", "C:\\Conv\\bin\\", "\\\\server\\share"},
                        "x C:\\Conv\\bin\\ \\\\server\\share"},
        CommandLineCase{"BackslashesBeforeAQuoteAreDoubled", {"x", "a\\\"b", "a\\\\\"b"},
                        "x \"a\\\\\\\"b\" \"a\\\\\\\\\\\"b\""},
        CommandLineCase{"TrailingBackslashesBeforeTheClosingQuote", {"x", "C:\\My Videos\\", "a b\\\\"},
                        "x \"C:\\My Videos\\\\\" \"a b\\\\\\\\\""},
        CommandLineCase{"InnerBackslashesOfAQuotedArgumentStay", {"x", "C:\\My Videos\\a.avi"},
                        "x \"C:\\My Videos\\a.avi\""},
        // The filter graph of a subtitle file: colons, commas and quotes of its own.
        CommandLineCase{"FilterGraphWithQuotes", {"x", "-vf", "ass=filename='C\\:/t.ssa',setsar=1"},
                        "x -vf ass=filename='C\\:/t.ssa',setsar=1"},
        // Only the runtime's rules apply: the command interpreter's characters pass.
        CommandLineCase{"ShellCharactersPass", {"x", "50%", "a&b|c<d>e^f"}, "x 50% a&b|c<d>e^f"},
        CommandLineCase{"Utf8PassesUnchanged", {"x", "\xED\x99\x8D \xEA\xB8\xB8.avi"}, "x \"\xED\x99\x8D \xEA\xB8\xB8.avi\""},
        // The program name has no escapes: quoted only for a blank, its backslashes as they are.
        CommandLineCase{"ProgramWithBlankIsQuotedPlainly", {"C:\\Program Files\\Conv\\bin\\ffmpeg.exe", "-y"},
                        "\"C:\\Program Files\\Conv\\bin\\ffmpeg.exe\" -y"},
        CommandLineCase{"ProgramWithoutBlankIsBare", {"C:\\Conv\\bin\\ffmpeg.exe"}, "C:\\Conv\\bin\\ffmpeg.exe"}),
    [](const auto& test_info) { return test_info.param.label; });

}  // namespace
}  // namespace clipvane
