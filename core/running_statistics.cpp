#include "running_statistics.h"
