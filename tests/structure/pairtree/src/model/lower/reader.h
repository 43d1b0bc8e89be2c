#pragma once

// A reader that reaches up into the folder that uses it.
#include "model/upper/container.h"
