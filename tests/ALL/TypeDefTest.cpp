#include "ALL/TypeDef.h"

#include <gtest/gtest.h>

TEST(TypeDef, Placeholder) { EXPECT_EQ(COLOR_PARAM_TYPE().aType, 5); }
