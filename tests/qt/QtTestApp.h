#pragma once

#include <gtest/gtest.h>

// The one QApplication of a test process, created on first use (offscreen unless the
// environment names another platform). Test listing never creates it.
void EnsureQtApplication();

// A base for fixtures with widget members: the application exists before they do.
class QtFixture : public ::testing::Test {
  protected:
    QtFixture() { EnsureQtApplication(); }
};
