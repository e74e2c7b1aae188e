#include <gtest/gtest.h>
TEST(area_file, placeholder) {}
