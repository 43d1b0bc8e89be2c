// A container that reads with the folder below it.
#include "model/lower/reader.h"
