#include <gtest/gtest.h>
#include "toolkit/toolkit.h"
