// check's formats for CI systems, called directly: the digest behind the
// fingerprints against the standard's own examples, and GitHub's workflow
// commands read back as its runner reads them, for file names and messages
// holding what the runner unescapes. The process tests in
// tool/test_areatool_ci_formats.py keep the SARIF log and the GitLab
// report.

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "formats/formats.h"

namespace {

TEST(problem_reports, digest_gives_the_standards_examples_across_block_ends)
{
    struct example {
        std::string message;
        std::string_view digest;
    };
    const std::vector<example> examples = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'y'), "fb66d40c3bfff05b0d5af8612d0abfbfacc6f5f26c330bc7ad634f1f44bc20ad"},  // one block
        {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},  // two
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const example &e : examples)
        EXPECT_EQ(sha256_hex(e.message), e.digest) << e.message.size() << " bytes";
}

// text as GitHub's runner reads a command's message, or a property: each
// escape replaced in one pass over the text, "%25" last.
std::string runner_unescaped(std::string text, bool property)
{
    std::vector<std::pair<std::string, std::string>> pairs = {{"%0D", "\r"}, {"%0A", "\n"}};
    if (property)
        pairs.insert(pairs.end(), {{"%3A", ":"}, {"%2C", ","}});
    pairs.emplace_back("%25", "%");
    for (const auto &[escaped, plain] : pairs) {
        for (std::size_t at = 0; (at = text.find(escaped, at)) != std::string::npos; at += plain.size())
            text.replace(at, escaped.size(), plain);
    }
    return text;
}

TEST(problem_reports, github_commands_read_back_as_each_file_and_message)
{
    const check_format &github = *find_check_format("github");
    for (std::string text : {"plain", "100% sure", "a:b,c", "two\nlines\r\n", "%0A%25%3A", "::error x::y"}) {
        checked_file file{text + ".ard", {{problem_kind::cell_undrawable, text, true, 1, 2}}};
        std::string line = github.lines(file);
        ASSERT_EQ(line.back(), '\n');
        line.pop_back();
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << text;
        std::string_view head = "::error file=";
        ASSERT_EQ(line.rfind(head, 0), 0u);
        std::size_t title = line.find(",title=");
        std::size_t message = line.find("::", title);
        EXPECT_EQ(runner_unescaped(line.substr(head.size(), title - head.size()), true), file.path);
        EXPECT_EQ(runner_unescaped(line.substr(title + 7, message - title - 7), true), "areatool check");
        EXPECT_EQ(runner_unescaped(line.substr(message + 2), false), text);
    }
}

}  // namespace
