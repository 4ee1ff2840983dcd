#pragma once
// One QApplication for a whole Qt test program, made before the first test runs.

#include <QApplication>

#include <gtest/gtest.h>

namespace orlim::testing {

class QtTestApplication final : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

} // namespace orlim::testing
