// The manual pages and the README's messages table are the user's reference for every
// line the programs print. These tests keep the three in step: each message printed in
// the code is listed in the README under the tool that prints it (the shared code's
// under either), and the DIAGNOSTICS of each manual page list exactly the README's
// messages of its tool, rendered as the program prints them. The pages also render
// without a single groff warning.
#include "xy_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

namespace
{

const std::string SOURCE_DIR = SKY_SOURCE_DIR;

std::string textOf(const std::string& path)
{
    std::vector<uint8_t> bytes = fileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct ToolMessages {
    std::set<std::string> skydump;
    std::set<std::string> skyload;
};

// The first column of every table row under "## Messages and troubleshooting": the
// rows of "### Both tools" belong to both programs, the others to the one named.
ToolMessages readmeMessages()
{
    ToolMessages messages;
    bool inSection = false;
    std::string tool;
    for (const std::string& line : linesOf(textOf(SOURCE_DIR + "/README.md"))) {
        if (line.rfind("## ", 0) == 0)
            inSection = line == "## Messages and troubleshooting";
        else if (inSection && line.rfind("### ", 0) == 0)
            tool = line.substr(4);
        else if (inSection && line.rfind("| `", 0) == 0) {
            size_t end = line.find('`', 3);
            std::string message = line.substr(3, end - 3);
            if (tool == "Both tools" || tool == "skydump")
                messages.skydump.insert(message);
            if (tool == "Both tools" || tool == "skyload")
                messages.skyload.insert(message);
            EXPECT_TRUE(tool == "Both tools" || tool == "skydump" || tool == "skyload")
                << "a message row under an unknown heading: " << tool;
        }
    }
    return messages;
}

// The text of the adjacent string literals starting at `pos`, with C escapes of the
// messages ("\n", "\"", "\\") undone. Stops at the first character that is neither
// white space nor the start of another literal.
std::string literalsAt(const std::string& code, size_t pos)
{
    std::string text;
    while (pos < code.size()) {
        if (std::isspace(static_cast<unsigned char>(code[pos]))) {
            ++pos;
            continue;
        }
        if (code[pos] != '"')
            break;
        for (++pos; pos < code.size() && code[pos] != '"'; ++pos) {
            if (code[pos] == '\\' && pos + 1 < code.size()) {
                ++pos;
                text += code[pos] == 'n' ? '\n' : code[pos];
            } else {
                text += code[pos];
            }
        }
        ++pos;
    }
    return text;
}

struct CodeMessage {
    std::string format; // as printed, without its "\n"
    std::string file;
};

// Every format printed with printf in the programs' sources under `dir`, other than one
// made only of a conversion (the banner, printed through "%s").
std::vector<CodeMessage> codeMessages(const std::string& dir)
{
    std::vector<CodeMessage> found;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(SOURCE_DIR + "/" + dir)) {
        if (entry.path().extension() != ".cpp")
            continue;
        std::string code = textOf(entry.path().string());
        for (size_t pos = code.find("printf("); pos != std::string::npos;
             pos = code.find("printf(", pos + 1)) {
            if (pos > 0 && code[pos - 1] == 'n') // snprintf formats text, it prints nothing
                continue;
            std::string format = literalsAt(code, pos + 7);
            if (!format.empty() && format.back() == '\n')
                format.pop_back();
            if (format.empty() || std::regex_match(format, std::regex("%[a-z]+")))
                continue;
            found.push_back({format, entry.path().lexically_relative(SOURCE_DIR).string()});
        }
    }
    return found;
}

// A pattern that a message's README form matches: each conversion stands for a word
// (`PATH`, `N`) or a number of the README's text.
std::regex patternOf(const std::string& format)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    static const std::regex conversion("%l*[dus]");
    std::string escaped = std::regex_replace(format, special, R"(\$&)");
    return std::regex(std::regex_replace(escaped, conversion, ".+"));
}

// Each message of `printed` matches a message of `listed`, or, for the shared code, one
// of either tool's (some shared code serves only one of them, such as the write-back).
void expectListed(const std::vector<CodeMessage>& printed, const std::set<std::string>& listed,
                  const std::set<std::string>& alsoListed, const char* tools)
{
    for (const CodeMessage& message : printed) {
        std::regex pattern = patternOf(message.format);
        bool matched = false;
        for (const std::set<std::string>* entries : {&listed, &alsoListed})
            for (const std::string& entry : *entries)
                matched = matched || std::regex_match(entry, pattern);
        EXPECT_TRUE(matched) << message.file << " prints \"" << message.format
                             << "\", which the README does not list for " << tools;
    }
}

TEST(Messages, EveryPrintedMessageIsInTheReadmeUnderItsTool)
{
    ToolMessages readme = readmeMessages();
    ASSERT_FALSE(readme.skydump.empty()) << "no messages table found in README.md";
    std::vector<CodeMessage> common = codeMessages("common");
    ASSERT_FALSE(common.empty()) << "no printf found under common/";
    expectListed(common, readme.skydump, readme.skyload, "either tool");
    expectListed(codeMessages("export"), readme.skydump, {}, "skydump");
    expectListed(codeMessages("import"), readme.skyload, {}, "skyload");
}

std::string manPage(const char* tool)
{
    return SOURCE_DIR + "/docs/" + tool + ".1";
}

TEST(ManPages, RenderWithoutWarnings)
{
    if (!haveProgram("groff"))
        GTEST_SKIP() << "groff is not installed (apt-get install groff)";
    for (const char* tool : {"skydump", "skyload"}) {
        ToolRun run = runCommand({"groff", "-ww", "-man", "-z", manPage(tool)});
        EXPECT_EQ(run.status, 0) << tool;
        EXPECT_EQ(run.err, "") << tool;
        EXPECT_EQ(run.out, "") << tool;
    }
}

// The page as a reader sees it, one paragraph to a line (a very long line, and no
// hyphenation), without bold or italics.
std::vector<std::string> renderedLines(const std::string& page)
{
    ToolRun run =
        runCommand({"groff", "-man", "-Tutf8", "-P-cbou", "-rLL=2000n", "-rHY=0", "-ww", page});
    EXPECT_EQ(run.status, 0) << page;
    EXPECT_EQ(run.err, "") << page;
    return linesOf(run.out);
}

size_t indentOf(const std::string& line)
{
    return line.find_first_not_of(' ');
}

// The tags of the DIAGNOSTICS section: each line that is followed by a more indented one.
std::set<std::string> diagnostics(const std::vector<std::string>& lines)
{
    std::set<std::string> tags;
    size_t i = 0;
    while (i < lines.size() && lines[i] != "DIAGNOSTICS")
        ++i;
    for (++i; i + 1 < lines.size() && (lines[i].empty() || lines[i][0] == ' '); ++i) {
        if (lines[i].empty() || lines[i + 1].empty())
            continue;
        if (indentOf(lines[i + 1]) > indentOf(lines[i]))
            tags.insert(lines[i].substr(indentOf(lines[i])));
    }
    return tags;
}

TEST(ManPages, DiagnosticsListExactlyTheReadmesMessagesOfTheirTool)
{
    if (!haveProgram("groff"))
        GTEST_SKIP() << "groff is not installed (apt-get install groff)";
    ToolMessages readme = readmeMessages();
    struct Page {
        const char* tool;
        const std::set<std::string>& messages;
    };
    for (const Page& page : {Page{"skydump", readme.skydump}, Page{"skyload", readme.skyload}}) {
        std::set<std::string> tags = diagnostics(renderedLines(manPage(page.tool)));
        ASSERT_FALSE(tags.empty()) << page.tool << ": no DIAGNOSTICS section";
        for (const std::string& message : page.messages)
            EXPECT_TRUE(tags.count(message)) << page.tool << ".1 lacks \"" << message << "\"";
        for (const std::string& tag : tags)
            EXPECT_TRUE(page.messages.count(tag))
                << page.tool << ".1 lists \"" << tag << "\", which the README does not";
    }
}

TEST(ManPages, HaveTheSectionsOfAManualPage)
{
    if (!haveProgram("groff"))
        GTEST_SKIP() << "groff is not installed (apt-get install groff)";
    const std::vector<std::string> sections = {"NAME",        "SYNOPSIS",    "DESCRIPTION",
                                               "EXIT STATUS", "DIAGNOSTICS", "FILES",
                                               "EXAMPLES",    "SEE ALSO"};
    for (const char* tool : {"skydump", "skyload"}) {
        std::vector<std::string> found;
        std::string seeAlso;
        std::vector<std::string> lines = renderedLines(manPage(tool));
        for (size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].empty() && std::isupper(static_cast<unsigned char>(lines[i][0])) &&
                lines[i].find('(') == std::string::npos)
                found.push_back(lines[i]);
            if (lines[i] == "SEE ALSO" && i + 1 < lines.size())
                seeAlso = lines[i + 1];
        }
        EXPECT_EQ(found, sections) << tool;
        EXPECT_NE(seeAlso.find("pbm(5)"), std::string::npos) << tool << ": " << seeAlso;
    }
}

} // namespace
