#include "direction_sector.h"
