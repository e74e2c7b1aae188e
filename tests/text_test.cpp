// How an area's pieces read as text: which bytes are escaped in each form
// (a line's, an exact one's and markup's), and the two forms of a name
// field that diff and merge print.

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "text/text.h"

namespace {

using namespace std::string_view_literals;

TEST(text, each_form_escapes_what_it_must_and_exact_also_what_looks_alike)
{
    std::string_view text = "a\tb\x7f\xc3\xa9\"\\x<&>'"sv;
    struct row {
        const char *form;
        std::string escaped, want;
    };
    for (const row &r : {
             row{"printable", printable(text), "a\\x09b\\x7f\xc3\xa9\"\\x<&>'"},
             row{"printable, exact", printable(text, true), "a\\x09b\\x7f\\xc3\\xa9\\x22\\x5cx<&>'"},
             // A name in an attribute of the review page cannot end it.
             row{"markup", markup_escaped(text), "a\tb\x7f\xc3\xa9&quot;\\x&lt;&amp;&gt;'"},
         })
        EXPECT_EQ(r.escaped, r.want) << r.form;
    // A backslash typed into a name cannot pass for an escaped byte.
    EXPECT_NE(printable("\\x01", true), printable("\x01", true));
}

TEST(text, name_fields_are_quoted_whole_or_up_to_their_trailing_zeros)
{
    struct row {
        std::string_view field, every_byte, trimmed;
    };
    for (const row &r : {
             row{"hall\0\0\0\0"sv, R"("hall\x00\x00\x00\x00")", R"("hall")"},
             row{"ab\0cd\0\0\0"sv, R"("ab\x00cd\x00\x00\x00")", R"("ab\x00cd")"},
             row{"\0\0\0\0\0\0\0\0"sv, R"("\x00\x00\x00\x00\x00\x00\x00\x00")", R"("")"},
             row{"say\"a\\b!"sv, R"("say\x22a\x5cb!")", R"("say"a\b!")"},
         }) {
        EXPECT_EQ(name_field_text(r.field, name_field_form::every_byte), r.every_byte);
        EXPECT_EQ(name_field_text(r.field, name_field_form::without_trailing_zeros), r.trimmed);
    }
    EXPECT_EQ(position_text(-1, 2147483647), "column -1, row 2147483647");
}

}  // namespace
