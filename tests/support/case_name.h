// Names parameterised cases after their `name` field, so a failure says which row failed.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace wrenquil {

struct CaseName {
    template <typename Row> std::string operator()(const testing::TestParamInfo<Row>& row) const {
        return row.param.name;
    }
};

} // namespace wrenquil
