// The export's way to replace a file lives with the other file replacements in the photo layer.
#pragma once

#include "photo/ReplaceFile.h"
