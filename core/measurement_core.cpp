#include "measurement_core.h"
