#include <gtest/gtest.h>

#include "model/Parameters.h"
