#include <gtest/gtest.h>
#include "toolkit/rules.h"
