// What areatool draws, where it can be told without drawing: the atlas's
// layout of any number of boards, and its size against the PNG format's
// limit. The pictures themselves are compared with the editor's board in
// tool/test_areatool.py and tool/test_areatool_render.py.

#include <cstdint>
#include <gtest/gtest.h>

#include "pictures/pictures.h"

namespace {

TEST(atlas_layout, takes_as_many_columns_as_rows_unless_told_and_sizes_the_picture)
{
    struct row {
        std::size_t count;
        int columns_given;
        atlas_layout want;
    };
    for (const row &r : {
             row{1, 0, {1, 1, 420, 420}}, row{2, 0, {2, 1, 805, 420}}, row{4, 0, {2, 2, 805, 805}},
             row{5, 0, {3, 2, 1190, 805}}, row{9, 0, {3, 3, 1190, 1190}}, row{10, 0, {4, 3, 1575, 1190}},
             row{3, 2, {2, 2, 805, 805}}, row{3, 1, {1, 3, 420, 1190}},
             // Columns given count even where no board fills them.
             row{1, 1000, {1000, 1, 385035, 420}},
         }) {
        atlas_layout layout = lay_out_atlas(r.count, r.columns_given);
        EXPECT_EQ((std::array<std::int64_t, 4>{layout.columns, layout.rows, layout.width, layout.height}),
                  (std::array<std::int64_t, 4>{r.want.columns, r.want.rows, r.want.width, r.want.height}))
            << r.count << " boards, --columns " << r.columns_given;
    }
}

TEST(atlas_layout, is_refused_only_past_the_png_limit_on_a_side)
{
    // (35 + n * 385) * 16 pixels a side for n columns: 348,617 fit.
    constexpr std::size_t most = 348617;
    struct {
        std::size_t count;
        int columns, scale;
        std::int64_t width, height;
        bool fits;
    } cases[] = {{5000, 0, 1, 27370, 27370, true},
                 {1, 1000, 16, 6160560, 6720, true},
                 {most * most, 0, 16, 2147481280, 2147481280, true},
                 {most * most + 1, 0, 16, 2147487440, 2147481280, false}};
    for (const auto &c : cases) {
        atlas_layout layout = lay_out_atlas(c.count, c.columns);
        EXPECT_EQ(layout.width * c.scale, c.width) << c.count;
        EXPECT_EQ(layout.height * c.scale, c.height) << c.count;
        EXPECT_EQ(atlas_fits_png(layout, c.scale), c.fits) << c.count;
    }
}

}  // namespace
