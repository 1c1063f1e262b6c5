// The real tool, run as a player would: copied into a temporary game
// installation beside its template, with a temporary home folder.
#include <gtest/gtest.h>

#include "testing/test_files.h"

TEST(Placeholder, Nothing) {}
